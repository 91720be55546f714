#include "engine/zan_mix_output.h"

#include <cmath>

namespace quillmix {

namespace {

bool endsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

CZanMixOutput::CZanMixOutput(SoundSystem& system) : speakersLine(system), waveLine(system), system_(system) {
    SetCurve(1.0);
}

std::string CZanMixOutput::StripDeviceSuffix(const std::string& name) {
    for (const char* suffix : {"(Rear)", "(Front)", "(Can Split)", "(Can't Split)"}) {
        const std::string tail = suffix;
        if (endsWith(name, tail)) {
            // Drops the blank before the suffix too.
            const std::size_t at = name.size() - tail.size();
            return name.substr(0, at == 0 ? 0 : at - 1);
        }
    }
    return name;
}

void CZanMixOutput::OpenDevice(const std::string& deviceId, const std::string& name) {
    if (deviceId.empty() || name.empty()) return;
    auto next = std::make_unique<CZanSoundOutput>(system_);
    for (int deck = 0; deck < 2; ++deck) next->SetDeckEffectInputs(deck, deckEffectInputs_[deck]);
    // The decks keep their effects and equalisers across a change of device.
    if (output) next->CarryDeckEffectsFrom(*output);
    Close();
    output = std::move(next);
    const bool rearPair = endsWith(name, "(Rear)");
    const bool split = rearPair || endsWith(name, "(Front)");
    output->CreateDevice(deviceId, split, rearPair);  // a failure leaves an output without device
    deviceName = StripDeviceSuffix(name);
    speakersLine.Open(CZanLineVolume::kSpeakersComponent, deviceName);
    waveLine.Open(CZanLineVolume::kWaveOutComponent, deviceName);
    // The balance works from the speaker volume: starting from 0 it would silence the
    // output at the first balance change.
    speakerVolume = speakersLine.GetLouderVolume() / 100.0;
}

void CZanMixOutput::Close() {
    if (!output) return;
    output->ReleaseAll();
    output.reset();
}

void CZanMixOutput::SetCurve(double c) {
    auto& b = curveTable[1];
    if (c < 0) {
        for (int i = 0; i < kCurvePoints; ++i) b[i] = std::pow(i / 99.0, 1.0 / (1.0 - 2.0 * c));
    } else if (c == 0) {
        for (int i = 0; i < kCurvePoints; ++i) b[i] = i / 99.0;
    } else if (c > 0) {
        const double m = (1.0 - c / 2.0) * 99.0;
        const int n = static_cast<int>(m);
        for (int i = 0; i < kCurvePoints; ++i) b[i] = i < n ? i / m : 1.0;
    } else {
        return;  // not a number: both tables stay as they were
    }
    for (int i = 0; i < kCurvePoints; ++i) curveTable[0][i] = b[kCurvePoints - 1 - i];
}

double CZanMixOutput::GetCurveValue(int deck, int index) const {
    if ((deck != 0 && deck != 1) || index < 0 || index >= kCurvePoints) return 0.0;
    return curveTable[deck][index];
}

int CZanMixOutput::FaderIndex(double position) {
    double t = (position + 1.0) / 2.0;
    if (!(t >= 0.0)) t = 0.0;  // below the range, or not a number
    if (t > 1.0) t = 1.0;
    return static_cast<int>(t * 98.0);
}

void CZanMixOutput::ApplyCrossFader(double position, const std::array<double, 2>& levels) {
    const int index = FaderIndex(position) % kCurvePoints;
    for (int deck = 0; deck < 2; ++deck) {
        appliedCurveGain[deck] = curveTable[deck][index];
        const double gain = levels[deck] * appliedCurveGain[deck];
        if (output) output->SetDeckGain(deck, gain);
    }
}

void CZanMixOutput::SetFrequency(int deck, int hertz) {
    if (deck != 0 && deck != 1) return;
    frequency[deck] = hertz;
    if (output) output->SetForwardFrequency(deck, hertz);
}

void CZanMixOutput::SetDeckPan(int deck, float pan) {
    if (output) output->SetDeckPan(deck, pan);
}

// The balance's left/right ratio is kept: the louder channel takes the volume.
void CZanMixOutput::SetSpeakerVolume(double v) {
    if (!output) return;
    speakerVolume = v;
    applySpeakers();
}

void CZanMixOutput::SetWaveVolume(double v) {
    if (!output) return;
    waveVolume = v;
    waveLine.SetVolume(static_cast<int>(v * 100));
}

double CZanMixOutput::GetWaveVolume() const { return output ? waveLine.GetVolume() / 100.0 : 0.0; }

void CZanMixOutput::SetBalance(double b) {
    if (!output || !output->HasDevice()) return;
    balance = b;
    applySpeakers();
}

void CZanMixOutput::applySpeakers() {
    const int v = static_cast<int>(speakerVolume * 100);
    int left = v, right = v;
    if (balance < 0) right = static_cast<int>(v * (1 + balance));
    if (balance > 0) left = static_cast<int>(v * (1 - balance));
    speakersLine.SetVolume(left, right);
}

bool CZanMixOutput::IsForwardPlaying(int deck) const { return output && output->IsForwardPlaying(deck); }
bool CZanMixOutput::IsBackwardPlaying(int deck) const { return output && output->IsBackwardPlaying(deck); }
int CZanMixOutput::GetForwardWriteChunk(int deck) const {
    return output ? output->GetForwardWritePosition(deck) / CZanSoundOutput::kChunkSize : 0;
}
int CZanMixOutput::GetForwardPlayChunk(int deck) const {
    return output ? output->GetForwardPlayPosition(deck) / CZanSoundOutput::kChunkSize : 0;
}
int CZanMixOutput::GetForwardWritePosition(int deck) const {
    return output ? output->GetForwardWritePosition(deck) : 0;
}
int CZanMixOutput::GetForwardPlayPosition(int deck) const { return output ? output->GetForwardPlayPosition(deck) : 0; }
int CZanMixOutput::GetBackwardPlayPosition(int deck) const {
    return output ? output->GetBackwardPlayPosition(deck) : 0;
}

void CZanMixOutput::SetForwardPlayPosition(int deck, int bytes) {
    if (output) output->SetForwardPlayPosition(deck, bytes);
}
void CZanMixOutput::WriteForwardChunk(int deck, const std::int16_t* samples) {
    if (output) output->WriteForwardChunk(deck, samples);
}
void CZanMixOutput::WriteBackwardChunk(int deck, const std::int16_t* samples) {
    if (output) output->WriteBackwardChunk(deck, samples);
}
void CZanMixOutput::CreateDeckBuffers(int deck, int rate, bool withNotifications, bool withBackward) {
    if (output) output->CreateDeckBuffers(deck, rate, withNotifications, withBackward);
}
void CZanMixOutput::StopDeck(int deck) {
    if (output) output->StopDeck(deck);
}
void CZanMixOutput::PlayForward(int deck) {
    if (output) output->PlayForward(deck);
}
void CZanMixOutput::ResumeForwardFromBackward(int deck) {
    if (output) output->ResumeForwardFromBackward(deck);
}
void CZanMixOutput::StartBackwardFromForward(int deck) {
    if (output) output->StartBackwardFromForward(deck);
}

void CZanMixOutput::SetDeckEffectInputs(int deck, const DeckEffectInputs& inputs) {
    if (deck != 0 && deck != 1) return;
    deckEffectInputs_[deck] = inputs;
    if (output) output->SetDeckEffectInputs(deck, inputs);
}
SoundResult CZanMixOutput::SetEffect(int deck, const std::string& name) {
    return output ? output->SetEffect(deck, name) : kSoundOk;
}
SoundResult CZanMixOutput::SetEffectParameter(int deck, int index) {
    return output ? output->SetEffectParameter(deck, index) : kSoundOk;
}
SoundResult CZanMixOutput::EqualizerOn(int deck) { return output ? output->EqualizerOn(deck) : kSoundOk; }
SoundResult CZanMixOutput::EqualizerOff(int deck) { return output ? output->EqualizerOff(deck) : kSoundOk; }
SoundResult CZanMixOutput::SetEqualizerBandGain(int deck, int band) {
    return output ? output->SetEqualizerBandGain(deck, band) : kSoundOk;
}

}  // namespace quillmix
