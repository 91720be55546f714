#pragma once
// One output device's deck buffers: per deck a forward buffer and a backward buffer (the
// same audio with every chunk time-reversed, chunks in the opposite order), each a looping
// ring of 120 chunks. The object keeps its own write position per buffer and writes whole
// chunks; the forward buffers of the main output set the deck's notify events as their
// cursors cross chunk boundaries.
//
// Threads: window thread only. Fades block the caller for at least 50 ms while window
// messages keep being dispatched; a handler run meanwhile may call this object again.
// Status codes: 0, kSoundNotInitialized (no device or buffer), kSoundWrongState (-1, a
// fade in the wrong state), or the device layer's own error.

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/sound_system.h"

namespace quillmix {

class CZanSoundOutput {
public:
    static constexpr int kChunkSize = 11760;
    static constexpr int kRingChunks = 120;
    static constexpr int kRingBytes = kChunkSize * kRingChunks;  // 1411200
    static constexpr int kLastChunkStart = kChunkSize * (kRingChunks - 1);  // 1399440
    static constexpr SoundResult kNoDriver = static_cast<SoundResult>(0x88780078u);

    explicit CZanSoundOutput(SoundSystem& system);
    ~CZanSoundOutput();
    CZanSoundOutput(const CZanSoundOutput&) = delete;
    CZanSoundOutput& operator=(const CZanSoundOutput&) = delete;

    // Opens (or shares) the device with that identifier; split selects one speaker pair.
    SoundResult CreateDevice(const std::string& deviceId, bool split, bool rear);
    // The device negotiates four channels, or two when refused, as it opens; this only
    // reports whether there is a device for a 44100 Hz 16-bit format.
    SoundResult SetPrimaryFormat(int sampleRate, int bitsPerSample);
    SoundResult CreateDeckBuffers(int deck, int sampleRate, bool withNotifications, bool withBackward);
    SoundResult WriteForwardChunk(int deck, const std::int16_t* samples);   // 11760 bytes
    SoundResult WriteBackwardChunk(int deck, const std::int16_t* samples);  // 11760 bytes
    SoundResult ResetDeckBuffers(int deck);
    bool IsForwardPlaying(int deck) const;
    bool IsBackwardPlaying(int deck) const;
    bool HasDevice() const { return device_ != nullptr; }
    int GetForwardWritePosition(int deck) const;   // bytes
    int GetBackwardWritePosition(int deck) const;  // bytes
    int GetForwardPlayPosition(int deck) const;    // bytes; 0 without a buffer
    int GetBackwardPlayPosition(int deck) const;   // bytes; 0 without a buffer
    SoundResult SetForwardPlayPosition(int deck, int bytes);
    SoundResult SetForwardFrequency(int deck, int hertz);
    SoundResult SetDeckPan(int deck, float pan);      // -1 (left) .. 1 (right)
    SoundResult SetDeckGain(int deck, double gain);   // linear, 1.0 full
    SoundResult StopDeck(int deck);
    SoundResult PlayForward(int deck);
    SoundResult ResumeForwardFromBackward(int deck);
    SoundResult StartBackwardFromForward(int deck);
    void ReleaseDeckBuffers(int deck);
    void ReleaseAll();

    // The gain law: 1.0 -> 0, <= 0.0001 -> -10000, otherwise trunc(5600 g) - 5600.
    static int GainToVolume(double gain);
    // The pan law: -1 -> -10000, 1 -> 10000, otherwise trunc(pan x 10000).
    static int PanToDeviceUnits(float pan);

    // For the effect work: the buffers carrying the effect-chain slots, and the device.
    SoundBuffer* ForwardBuffer(int deck) { return valid(deck) ? forwardBuffer[deck].get() : nullptr; }
    SoundBuffer* BackwardBuffer(int deck) { return valid(deck) ? backwardBuffer[deck].get() : nullptr; }
    SoundDevice* Device() { return device_.get(); }

    bool split = false;
    bool rear = false;
    std::array<bool, 2> effectChainActive{};
    std::array<std::string, 2> effectName;
    std::array<std::int32_t, 2> backwardWritePosition{};
    std::array<std::int32_t, 2> forwardWritePosition{};
    std::array<std::int32_t, 2> sampleRate{44100, 44100};

private:
    static bool valid(int deck) { return deck == 0 || deck == 1; }
    static int chunkStart(int bytes) { return bytes / kChunkSize * kChunkSize; }

    SoundSystem& system_;
    std::shared_ptr<SoundDevice> device_;
    std::array<std::unique_ptr<SoundBuffer>, 2> backwardBuffer;
    std::array<std::unique_ptr<SoundBuffer>, 2> forwardBuffer;
};

}  // namespace quillmix
