#pragma once
// The software mixer inside one sound device: sums every attached buffer into the
// device's channels, applies the device's software volume lines and clips to 16 bits.
//
// The back-end's audio thread (a PortAudio callback, the recorder's timer thread, or a test
// stepping by hand) calls render(). The window thread attaches and detaches buffers; a
// detach returns only once no render can still be touching the buffer, which the mixer
// tells from an epoch counter that is odd while a render runs.

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "sound/sound_types.h"

namespace quillmix {

class SoundBuffer;

// The software volume lines of one device, 0 .. kLineLevelMax per channel side. They live
// as long as the sound system so that a device keeps its levels when reopened. Any thread.
class DeviceVolumes {
public:
    void set(VolumeLine line, std::uint32_t left, std::uint32_t right);
    std::pair<std::uint32_t, std::uint32_t> get(VolumeLine line) const;
    // Audio thread: product of both lines for an even (left) or odd (right) channel.
    float channelGain(int channel) const noexcept;

private:
    static int index(VolumeLine line) { return line == VolumeLine::speakers ? 0 : 1; }
    std::array<std::array<std::atomic<std::uint32_t>, 2>, 2> levels_{
        {{kLineLevelMax, kLineLevelMax}, {kLineLevelMax, kLineLevelMax}}};
};

class SoundMixer {
public:
    static constexpr int kMaxBuffers = 32;

    SoundMixer(int sampleRate, int channels, int maxBlockFrames, std::shared_ptr<DeviceVolumes> volumes);
    SoundMixer(const SoundMixer&) = delete;
    SoundMixer& operator=(const SoundMixer&) = delete;

    int sampleRate() const { return sampleRate_; }
    int channels() const { return channels_; }
    int maxBlockFrames() const { return maxBlockFrames_; }
    DeviceVolumes& volumes() { return *volumes_; }

    // Window thread. attach fails (false) when all slots are taken. detach returns whether
    // no render can still touch the buffer (see waitUntilQuiescent); when false, the caller
    // must not free it, but may park it here.
    bool attach(SoundBuffer* buffer);
    bool detach(SoundBuffer* buffer);
    // Window thread: true once any render that was running has finished. False when a
    // render stayed in progress past a bound (2 s, or 20 ms once the stream is lost): the
    // audio thread is stuck or gone, and what that render reads must stay allocated.
    bool waitUntilQuiescent() const;

    // Window thread: takes a detached buffer that a render may still hold, and frees it
    // once a later wait sees the mixer quiescent, or when the mixer is destroyed.
    void park(SoundBuffer* buffer);
    // Window thread: frees the parked buffers when no render runs. Returns how many remain.
    int releaseParked();
    ~SoundMixer();

    // Any thread: the stream feeding this mixer has died (the device went away). From
    // then on nothing waits for the audio thread: fades and waits return at once, a full
    // command queue fails at once. Never cleared; a device that comes back is a new stream.
    void markLost() { lost_.store(true, std::memory_order_release); }
    bool lost() const { return lost_.load(std::memory_order_acquire); }

    // Audio thread: writes `frames` interleaved frames of channels() 16-bit samples.
    // Real-time safe for any frame count (long requests run in blocks).
    void render(std::int16_t* out, int frames) noexcept;

    // Any thread: frames rendered so far.
    std::uint64_t framesRendered() const { return framesRendered_.load(std::memory_order_acquire); }

private:
    void renderBlock(std::int16_t* out, int frames) noexcept;

    const int sampleRate_;
    const int channels_;
    const int maxBlockFrames_;
    std::shared_ptr<DeviceVolumes> volumes_;
    std::array<std::atomic<SoundBuffer*>, kMaxBuffers> slots_{};
    std::atomic<std::uint64_t> epoch_{0};
    std::atomic<std::uint64_t> framesRendered_{0};
    std::atomic<bool> lost_{false};
    std::vector<SoundBuffer*> parked_;    // window thread
    std::vector<float> bus_;              // one block, interleaved
    std::ptrdiff_t busDirtySamples_ = 0;  // how much of bus_ the last block left non-zero
    std::vector<float> lineGains_;        // per channel, at the end of the last block
};

}  // namespace quillmix
