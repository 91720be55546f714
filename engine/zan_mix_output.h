#pragma once
// One output, main or monitor: the deck gains from the cross-fade curve, the tempo, pan,
// the device's volume lines and balance, and forwarding to the deck buffers.
//
// gain of a deck on this output = deck level x curve value at this output's fader.
// Every operation on a closed output does nothing and returns 0, false or 0.0.
// Threads: window thread only.

#include <array>
#include <memory>
#include <string>

#include "engine/zan_line_volume.h"
#include "engine/zan_sound_output.h"

namespace quillmix {

class CZanMixOutput {
public:
    static constexpr int kCurvePoints = 99;

    explicit CZanMixOutput(SoundSystem& system);

    // Opens the device (sharing its stream with the other output when both use halves of
    // one device). A name ending in "(Rear)" or "(Front)" selects that speaker pair.
    void OpenDevice(const std::string& deviceId, const std::string& name);
    void Close();
    bool IsOpen() const { return output != nullptr; }

    void SetCurve(double shape);                      // -1 .. 1
    double GetCurveValue(int deck, int index) const;  // 0.0 outside 0 .. 98
    void ApplyCrossFader(double position, const std::array<double, 2>& levels);
    static int FaderIndex(double position);  // -1 -> 0, 0 -> 49, 1 -> 98

    void SetFrequency(int deck, int hertz);
    void SetDeckPan(int deck, float pan);
    // 0 .. 1, the louder channel; the balance's ratio between the channels is kept.
    void SetSpeakerVolume(double volume);
    void SetWaveVolume(double volume);  // 0 .. 1
    double GetWaveVolume() const;
    void SetBalance(double balance);  // -1 (left) .. 1 (right)

    bool IsForwardPlaying(int deck) const;
    bool IsBackwardPlaying(int deck) const;
    int GetForwardWriteChunk(int deck) const;
    int GetForwardPlayChunk(int deck) const;
    int GetForwardWritePosition(int deck) const;
    int GetForwardPlayPosition(int deck) const;
    int GetBackwardPlayPosition(int deck) const;

    void SetForwardPlayPosition(int deck, int bytes);
    void WriteForwardChunk(int deck, const std::int16_t* samples);
    void WriteBackwardChunk(int deck, const std::int16_t* samples);
    void CreateDeckBuffers(int deck, int sampleRate, bool withNotifications, bool withBackward);
    void StopDeck(int deck);
    void PlayForward(int deck);
    void ResumeForwardFromBackward(int deck);
    void StartBackwardFromForward(int deck);

    // The deck effect operations of CZanSoundOutput, forwarded; 0 on a closed output. The
    // inputs are kept here and given to every output this object opens.
    void SetDeckEffectInputs(int deck, const DeckEffectInputs& inputs);
    SoundResult SetEffect(int deck, const std::string& name);
    SoundResult SetEffectParameter(int deck, int index);
    SoundResult EqualizerOn(int deck);
    SoundResult EqualizerOff(int deck);
    SoundResult SetEqualizerBandGain(int deck, int band);

    // The name without a trailing " (Rear)", " (Front)", " (Can Split)" or " (Can't Split)".
    static std::string StripDeviceSuffix(const std::string& name);

    std::array<double, 2> appliedCurveGain{1.0, 1.0};
    std::array<std::array<double, kCurvePoints>, 2> curveTable{};
    std::string deviceName;
    std::unique_ptr<CZanSoundOutput> output;
    std::array<int, 2> frequency{44100, 44100};
    double balance = 0.0;
    double speakerVolume = 0.0;  // read from the speakers line when a device opens
    double waveVolume = 0.0;
    CZanLineVolume speakersLine;
    CZanLineVolume waveLine;

private:
    void applySpeakers();  // speakerVolume and balance to the speakers line

    SoundSystem& system_;
    std::array<DeckEffectInputs, 2> deckEffectInputs_{};
};

}  // namespace quillmix
