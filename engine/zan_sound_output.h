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
// fade in the wrong state), kSoundUnexpected (nothing valid to work on), or the device
// layer's own error.
//
// Effects (zan_sound_output_effects.cpp): each deck carries one effect on both buffers and,
// while its equaliser is on, a chain of peaking equalisers in front of the effect on the
// forward buffer. A change builds the new chain here, on the window thread, and hands it to
// the buffer, which blends over to it on the audio thread while the deck keeps playing; the
// old chain is freed back on the window thread. Chains are never put on a split device.

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "dsp/chunk_format.h"
#include "dsp/deck_effect_state.h"
#include "sound/sound_system.h"

namespace quillmix {

class CZanFilterBank;
class DeckEffectChain;

// What a deck's effect operations read, owned elsewhere (the deck's equaliser and effects
// panels) and outliving the sound output. Read on the window thread only, whenever a chain
// is built or changed; a null entry stands for no bands, or for the values last applied.
struct DeckEffectInputs {
    const CZanFilterBank* equalizerFilterBank = nullptr;    // band count, centres, gain factors
    const std::array<float, 2>* effectParameter = nullptr;  // the two values, in field units
};

class CZanSoundOutput {
public:
    static constexpr int kChunkSize = kChunkBytes;
    static constexpr int kRingChunks = kOutputBufferChunks;
    static constexpr int kRingBytes = kChunkSize * kRingChunks;             // 1411200
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
    SoundResult SetDeckPan(int deck, float pan);     // -1 (left) .. 1 (right)
    SoundResult SetDeckGain(int deck, double gain);  // linear, 1.0 full
    SoundResult StopDeck(int deck);
    SoundResult PlayForward(int deck);
    SoundResult ResumeForwardFromBackward(int deck);
    SoundResult StartBackwardFromForward(int deck);
    void ReleaseDeckBuffers(int deck);
    void ReleaseAll();

    // ---- Effects. Status: kSoundNotInitialized without the deck's forward buffer;
    // kSoundUnexpected on a split device (EqualizerOff excepted) or as stated.
    // Tells the deck where its equaliser bank and effect parameters live; set once by the
    // owner. Kept across CreateDevice and CreateDeckBuffers.
    void SetDeckEffectInputs(int deck, const DeckEffectInputs& inputs);
    // Selects the deck's effect by name ("No Effect" removes it and keeps the stored values)
    // on both buffers, with the current parameter values; with the equaliser on, the
    // forward buffer carries the bands, then the effect.
    SoundResult SetEffect(int deck, const std::string& name);
    // Takes over both decks' effect settings (name, equaliser on, values, inputs) from an
    // output being replaced; the chains follow when the decks' buffers are created.
    void CarryDeckEffectsFrom(const CZanSoundOutput& previous);
    // Applies parameter `index` (0 or 1) from the deck's inputs to the effect on both
    // buffers. kSoundUnexpected for another index, or when a buffer carries no effect while
    // one is selected; 0 with "No Effect".
    SoundResult SetEffectParameter(int deck, int index);
    // Equaliser on: the forward buffer gets one band per band of the deck's bank (centres
    // clamped to 80..16000 Hz, 120 / n semitones wide, gains (factor - 1) x 100 dB within
    // +-15), then the effect. Also rebuilds after the bank's band count changed.
    SoundResult EqualizerOn(int deck);
    // Equaliser off: the forward buffer keeps the effect alone, or nothing.
    SoundResult EqualizerOff(int deck);
    // Pushes the bank's gain of `band` to the running equaliser. kSoundUnexpected for a band
    // outside 0..count - 1 (or one the running chain lacks), kSoundNotInitialized while the
    // equaliser is off.
    SoundResult SetEqualizerBandGain(int deck, int band);

    const std::string& effectName(int deck) const { return deckEffects_[deckIndex(deck)].effectName(); }
    bool effectChainActive(int deck) const { return deckEffects_[deckIndex(deck)].effectChainActive(); }
    // The value the deck's effect was last given (field units; 0.0 at start).
    float effectParameter(int deck, int index) const { return deckEffects_[deckIndex(deck)].effectParameter(index); }

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
    std::array<std::int32_t, 2> backwardWritePosition{};
    std::array<std::int32_t, 2> forwardWritePosition{};
    std::array<std::int32_t, 2> sampleRate{44100, 44100};

private:
    static bool valid(int deck) { return deck == 0 || deck == 1; }
    static int chunkStart(int bytes) { return bytes / kChunkSize * kChunkSize; }
    static int deckIndex(int deck) { return deck == 1 ? 1 : 0; }
    // The deck's parameter values (from its inputs) held to the ranges of `effectName`.
    void pullEffectParameters(int deck, const std::string& effectName);
    void installChains(int deck, ChainRebuild rebuild);
    EqualizerBandSource equalizerBands(int deck) const;
    // The chain in a buffer's slot (owned by the buffer), or null.
    static DeckEffectChain* chainIn(SoundBuffer* buffer);

    SoundSystem& system_;
    std::shared_ptr<SoundDevice> device_;
    std::array<std::unique_ptr<SoundBuffer>, 2> backwardBuffer;
    std::array<std::unique_ptr<SoundBuffer>, 2> forwardBuffer;
    std::array<DeckEffectState, 2> deckEffects_;
    std::array<DeckEffectInputs, 2> deckEffectInputs_;
};

}  // namespace quillmix
