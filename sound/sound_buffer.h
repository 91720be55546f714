#pragma once
// A looping sound buffer on a sound device: 1411200 bytes of 16-bit stereo that the
// device's audio thread plays round and round at the buffer's own frequency, with volume,
// pan, position notifications, an effect-chain slot and a speaker pair.
//
// Threads: every public function runs on the window thread (the one owner), except where
// marked. The audio thread reaches the buffer only through renderAdd(); parameters cross
// over as atomics (volume, pan, frequency, the chain pointer, the samples themselves) or
// as commands on a lock-free queue (play, stop, cursor, fades), applied at the start of
// the next block. Samples are kept four to a 64-bit relaxed atomic word, so that a write
// racing the audio thread's read of the same place is defined behaviour (the reader sees
// each word's four samples all old or all new) while both sides copy a word at a time;
// the writer is expected to stay ahead. Relaxed order is enough: the samples publish
// nothing else, and a reader needs no sample earlier than the commands and cursor that
// already order the two threads.

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <new>
#include <vector>

#include "dsp/audio_effect.h"
#include "platform/event.h"
#include "platform/spsc_queue.h"
#include "sound/sound_types.h"

namespace quillmix {

class SoundDevice;
class SoundMixer;

struct SoundBufferDesc {
    int frequency = 44100;  // hertz, kFrequencyMin .. kFrequencyMax
    std::uint32_t channelMask = kFrontPair;
};

class SoundBuffer {
public:
    // Use SoundDevice::createBuffer. The buffer is silent, stopped, cursor 0.
    SoundBuffer(std::shared_ptr<SoundDevice> device, const SoundBufferDesc& desc);
    // Detaches from the device once the audio thread has let go of it.
    ~SoundBuffer();
    // Deleting detaches first; when the audio thread does not let go within its bound (a
    // stuck or dead stream), the buffer is not freed but parked with the device's mixer,
    // which frees it once no render can hold it. Nothing the render reads is ever freed
    // under it.
    void operator delete(SoundBuffer* buffer, std::destroying_delete_t);
    static void* operator new(std::size_t bytes);  // the global one, paired with the delete
    SoundBuffer(const SoundBuffer&) = delete;
    SoundBuffer& operator=(const SoundBuffer&) = delete;

    // Copies `sampleCount` 16-bit samples to the ring at `byteOffset`, wrapping at the end.
    void write(int byteOffset, const std::int16_t* samples, int sampleCount);
    void read(int byteOffset, std::int16_t* out, int sampleCount) const;

    // Starts looping playback from the cursor at once, or stops it where it is.
    SoundResult play();
    SoundResult stop();
    bool isPlaying() const { return playing_; }

    // Play cursor in bytes (a multiple of 4, 0 .. kSoundBufferBytes - 4).
    int playCursor() const;
    SoundResult setPlayCursor(int bytes);

    SoundResult setFrequency(int hertz);  // kSoundInvalidParam out of range; keeps the old one
    int frequency() const { return frequency_.load(std::memory_order_relaxed); }
    SoundResult setVolume(int hundredthsDb);  // -10000 .. 0, else kSoundInvalidParam
    int volume() const { return volume_.load(std::memory_order_relaxed); }
    SoundResult setPan(int hundredthsDb);  // -10000 .. 10000, else kSoundInvalidParam
    int pan() const { return pan_.load(std::memory_order_relaxed); }
    std::uint32_t channelMask() const { return channelMask_; }

    // Each time the cursor passes one of the byte offsets, `event` is set (from the audio
    // thread, without blocking). Only while stopped; at most kMaxNotifications offsets.
    static constexpr int kMaxNotifications = 256;
    SoundResult setNotificationPositions(const Event& event, const std::vector<int>& byteOffsets);

    // Fades of at least kFadeMilliseconds along 500 steps of e^(-i / 166.67), rendered as a
    // per-sample ramp. They return kSoundWrongState (-1), changing nothing, when the buffer is
    // already playing (fade in) or not playing (fade out). On a clocked device they return
    // when the fade is over, dispatching window messages meanwhile; a message handler may
    // call the buffer again, even destroy it. On a hand-stepped device they return at once
    // and the fade runs as the test steps the device.
    static constexpr int kFadeMilliseconds = 50;
    SoundResult playWithFadeIn();
    SoundResult fadeOutAndStop();

    // Puts `next` (prepared for this device's rate, or null) in the effect slot. A playing
    // buffer blends from the previous chain's output to next's over kChainBlendMilliseconds,
    // both chains running meanwhile, so that a change of chain neither steps the waveform
    // nor drops a block; a stopped buffer switches at once. The previous chain stays with
    // the buffer until the audio thread has let go of it, and is freed on the window thread
    // by a later swapEffectChain or releaseRetiredEffectChains, or by the destructor.
    // Returns once no render that could have missed the change is still running.
    static constexpr int kChainBlendMilliseconds = 5;
    void swapEffectChain(std::unique_ptr<AudioEffectChain> next);
    // Frees the retired chains the audio thread no longer runs; returns how many remain.
    int releaseRetiredEffectChains();
    AudioEffectChain* effectChain() const { return chain_.load(std::memory_order_acquire); }

    // Audio thread: applies queued commands, then, if playing, renders `frames` (at most the
    // device's block size) and adds them to the float bus of `busChannels` interleaved
    // channels. No allocation, no lock, no I/O. Returns whether it added anything (false
    // when stopped or held at silence).
    bool renderAdd(float* bus, int busChannels, int frames) noexcept;

private:
    enum class CommandKind : std::uint8_t { play, stop, seek, fadeIn, fadeOut };
    struct Command {
        CommandKind kind;
        std::uint32_t frame;  // seek target
        std::uint64_t fadeTicket;
    };
    enum class FadeKind : std::uint8_t { none, in, out };

    // Shared with a waiting fade so that it outlives the buffer if a handler destroys it.
    struct FadeTracker {
        std::atomic<std::uint64_t> completed{0};  // highest ticket finished or superseded
        std::atomic<bool> bufferAlive{true};
    };

    bool post(const Command& command);  // false when the queue stays full
    bool waitForFade(std::uint64_t ticket);

    // Audio thread helpers (sound_buffer_render.cpp).
    void applyCommand(const Command& command) noexcept;
    void finishFade() noexcept;
    void resampleBlock(int frames, std::uint64_t step) noexcept;
    void readFloats(std::int64_t firstSample, float* out, int count) const noexcept;
    void notifyPassed(std::uint32_t fromFrame, std::uint32_t framesAdvanced) noexcept;
    float fadeFactorAt(int volume) noexcept;
    void mixInto(float* bus, int busChannels, int frames) noexcept;
    void settleChain(AudioEffectChain* target) noexcept;
    void runEffectChain(AudioEffectChain* target, int frames) noexcept;
    void blendChains(int frames) noexcept;
    bool heldSilent() const noexcept;  // at silence, gains at zero, no fade or blend running
    void publishHeldChains() noexcept;

    std::shared_ptr<SoundDevice> device_;  // released when parked, so the device may close
    SoundMixer* const mixer_;              // the device's, which outlives every buffer
    bool detached_ = false;                // window thread
    const std::uint32_t channelMask_;
    const int deviceRate_;
    const int maxBlockFrames_;
    const int fadeFrames_;  // curve length in device frames

    static constexpr int kSampleWords = kSoundBufferBytes / 8;
    std::unique_ptr<std::atomic<std::uint64_t>[]> words_;  // sample i: bits 16 (i % 4) of word i / 4
    std::atomic<int> frequency_;
    std::atomic<int> volume_{kVolumeFull};
    std::atomic<int> pan_{0};
    std::atomic<AudioEffectChain*> chain_{nullptr};  // the chain the owner asked for
    std::unique_ptr<AudioEffectChain> ownedChain_;   // window thread's handle on chain_
    // Window thread: chains taken out of the slot, freed once the audio thread has let go.
    std::vector<std::unique_ptr<AudioEffectChain>> retiredChains_;
    // What the audio thread runs (its runningChain_ and blendFrom_), published so the
    // window thread can tell when a retired chain is free.
    std::atomic<AudioEffectChain*> heldRunning_{nullptr};
    std::atomic<AudioEffectChain*> heldBlendFrom_{nullptr};

    // Notification table: written only while stopped, published by the count.
    Event notifyEvent_;
    std::array<std::uint32_t, kMaxNotifications> notifyFrames_{};  // first frame past each offset
    std::atomic<int> notifyCount_{0};

    SpscQueue<Command> commands_{256};
    std::shared_ptr<FadeTracker> fades_ = std::make_shared<FadeTracker>();
    std::uint64_t nextFadeTicket_ = 1;       // window thread
    bool playing_ = false;                   // window thread: the state the owner asked for
    std::uint64_t transportGeneration_ = 0;  // window thread: counts play, stop and fades
    std::uint64_t seeksPosted_ = 0;          // window thread
    int lastSeekBytes_ = 0;                  // window thread
    std::atomic<std::uint64_t> seeksApplied_{0};
    std::atomic<std::uint32_t> publishedFrame_{0};

    // Audio thread state.
    std::uint64_t position_ = 0;  // 32.32 fixed-point source frames
    bool active_ = false;
    FadeKind fadeKind_ = FadeKind::none;
    int fadeFrame_ = 0;
    float fadeStartFactor_ = 1.0f;
    float fadeFactor_ = 1.0f;
    std::uint64_t fadeTicket_ = 0;
    float gainLeft_ = 0.0f, gainRight_ = 0.0f;  // at the end of the last block
    bool gainsPrimed_ = false;
    std::vector<float> input_;  // resampler input span, sized at construction
    std::vector<float> block_;  // one block of stereo frames
    // Chain blend: the chain in the slot as the audio thread last took it up, and while a
    // blend runs (blending_) the one it fades out, null meaning the dry signal.
    AudioEffectChain* runningChain_ = nullptr;
    AudioEffectChain* blendFrom_ = nullptr;
    bool blending_ = false;
    bool skippedSilence_ = false;  // the last block was skipped as silent
    int blendFrame_ = 0;
    const int blendFrames_;          // blend length in device frames
    std::vector<float> blendBlock_;  // the fading chain's block, sized at construction
};

}  // namespace quillmix
