#include "engine/zan_sound_output.h"

#include <cmath>
#include <vector>

#include "app/shared_state.h"

namespace quillmix {

CZanSoundOutput::CZanSoundOutput(SoundSystem& system) : system_(system) {}

CZanSoundOutput::~CZanSoundOutput() { ReleaseAll(); }

SoundResult CZanSoundOutput::CreateDevice(const std::string& deviceId, bool splitDevice, bool rearPair) {
    split = splitDevice;
    ReleaseAll();
    device_ = system_.open(deviceId);
    rear = rearPair;
    if (!device_) return kNoDriver;
    return SetPrimaryFormat(44100, 16);
}

SoundResult CZanSoundOutput::SetPrimaryFormat(int rate, int bitsPerSample) {
    if (!device_) return kSoundNotInitialized;
    if (rate != device_->sampleRate() || bitsPerSample != 16) return kSoundInvalidParam;
    return kSoundOk;
}

SoundResult CZanSoundOutput::CreateDeckBuffers(int deck, int rate, bool withNotifications, bool withBackward) {
    if (!valid(deck)) return kSoundInvalidParam;
    ReleaseDeckBuffers(deck);
    sampleRate[deck] = rate;
    if (!device_) return kSoundNotInitialized;
    const SoundBufferDesc desc{rate, split && rear ? kRearPair : kFrontPair};
    if (withBackward && !(backwardBuffer[deck] = device_->createBuffer(desc))) return kSoundInvalidParam;
    if (!(forwardBuffer[deck] = device_->createBuffer(desc))) {
        backwardBuffer[deck].reset();
        return kSoundInvalidParam;
    }
    if (withNotifications) {
        std::vector<int> offsets(kRingChunks);
        for (int i = 0; i < kRingChunks; ++i) offsets[i] = i * kChunkSize + kChunkSize - 1;
        forwardBuffer[deck]->setNotificationPositions(playForwardNotifyEvent[deck], offsets);
        if (backwardBuffer[deck]) {
            const SoundResult r =
                backwardBuffer[deck]->setNotificationPositions(playBackwardNotifyEvent[deck], offsets);
            if (r != kSoundOk) {
                ReleaseDeckBuffers(deck);
                return r;
            }
        }
    }
    ResetDeckBuffers(deck);
    const std::vector<std::int16_t> silence(kChunkSize / 2, 0);
    for (int i = 0; i < kRingChunks; ++i) {
        WriteForwardChunk(deck, silence.data());
        if (withBackward) WriteBackwardChunk(deck, silence.data());
    }
    SetEffect(deck, deckEffects_[deck].effectName());  // refused on a split device
    return kSoundOk;
}

SoundResult CZanSoundOutput::WriteForwardChunk(int deck, const std::int16_t* samples) {
    if (!valid(deck) || !forwardBuffer[deck]) return kSoundNotInitialized;
    forwardBuffer[deck]->write(forwardWritePosition[deck], samples, kChunkSize / 2);
    forwardBuffer[deck]->releaseRetiredEffectChains();  // frees a replaced chain once let go
    forwardWritePosition[deck] = (forwardWritePosition[deck] + kChunkSize) % kRingBytes;
    return kSoundOk;
}

SoundResult CZanSoundOutput::WriteBackwardChunk(int deck, const std::int16_t* samples) {
    if (!valid(deck) || !backwardBuffer[deck]) return kSoundNotInitialized;
    backwardBuffer[deck]->write(backwardWritePosition[deck], samples, kChunkSize / 2);
    backwardBuffer[deck]->releaseRetiredEffectChains();
    backwardWritePosition[deck] -= kChunkSize;
    if (backwardWritePosition[deck] < 0) backwardWritePosition[deck] += kRingBytes;
    return kSoundOk;
}

SoundResult CZanSoundOutput::ResetDeckBuffers(int deck) {
    if (!valid(deck)) return kSoundInvalidParam;
    backwardWritePosition[deck] = 0;
    forwardWritePosition[deck] = 0;
    if (backwardBuffer[deck]) backwardBuffer[deck]->setPlayCursor(0);
    if (forwardBuffer[deck]) forwardBuffer[deck]->setPlayCursor(0);
    return kSoundOk;
}

bool CZanSoundOutput::IsForwardPlaying(int deck) const {
    return valid(deck) && forwardBuffer[deck] && forwardBuffer[deck]->isPlaying();
}

bool CZanSoundOutput::IsBackwardPlaying(int deck) const {
    return valid(deck) && backwardBuffer[deck] && backwardBuffer[deck]->isPlaying();
}

int CZanSoundOutput::GetForwardWritePosition(int deck) const { return valid(deck) ? forwardWritePosition[deck] : 0; }

int CZanSoundOutput::GetBackwardWritePosition(int deck) const { return valid(deck) ? backwardWritePosition[deck] : 0; }

int CZanSoundOutput::GetForwardPlayPosition(int deck) const {
    return valid(deck) && forwardBuffer[deck] ? forwardBuffer[deck]->playCursor() : 0;
}

int CZanSoundOutput::GetBackwardPlayPosition(int deck) const {
    return valid(deck) && backwardBuffer[deck] ? backwardBuffer[deck]->playCursor() : 0;
}

SoundResult CZanSoundOutput::SetForwardPlayPosition(int deck, int bytes) {
    if (!valid(deck) || !forwardBuffer[deck]) return kSoundNotInitialized;
    return forwardBuffer[deck]->setPlayCursor(bytes);
}

SoundResult CZanSoundOutput::SetForwardFrequency(int deck, int hertz) {
    if (!valid(deck) || !forwardBuffer[deck]) return kSoundNotInitialized;
    return forwardBuffer[deck]->setFrequency(hertz);
}

int CZanSoundOutput::PanToDeviceUnits(float pan) {
    if (pan == -1.0f) return kPanLeft;
    if (pan == 1.0f) return kPanRight;
    if (pan == 0.0f) return 0;
    return static_cast<int>(pan * 10000.0f);  // truncates toward zero
}

SoundResult CZanSoundOutput::SetDeckPan(int deck, float pan) {
    if (!valid(deck) || !forwardBuffer[deck]) return kSoundNotInitialized;
    const int units = PanToDeviceUnits(pan);
    if (backwardBuffer[deck]) backwardBuffer[deck]->setPan(units);
    return forwardBuffer[deck]->setPan(units);
}

int CZanSoundOutput::GainToVolume(double gain) {
    if (gain == 1.0) return kVolumeFull;
    if (gain <= 0.0001) return kVolumeSilent;
    // 5600 is trunc(10000 x 0.56) with 0.56 held in single precision.
    const int range = static_cast<int>(10000 * 0.56f);
    return static_cast<int>(std::trunc(range * gain)) + (10000 - range) - 10000;
}

SoundResult CZanSoundOutput::SetDeckGain(int deck, double gain) {
    if (!valid(deck) || !forwardBuffer[deck]) return kSoundNotInitialized;
    const int volume = GainToVolume(gain);
    // A gain above 1 gives a positive volume, which the buffers refuse, keeping their own.
    if (backwardBuffer[deck]) backwardBuffer[deck]->setVolume(volume);
    return forwardBuffer[deck]->setVolume(volume);
}

SoundResult CZanSoundOutput::StopDeck(int deck) {
    if (!valid(deck) || !forwardBuffer[deck]) return kSoundNotInitialized;
    if (backwardBuffer[deck]) backwardBuffer[deck]->stop();
    return forwardBuffer[deck]->fadeOutAndStop();
}

SoundResult CZanSoundOutput::PlayForward(int deck) {
    if (!valid(deck) || !forwardBuffer[deck]) return kSoundNotInitialized;
    return forwardBuffer[deck]->playWithFadeIn();
}

SoundResult CZanSoundOutput::ResumeForwardFromBackward(int deck) {
    if (!valid(deck) || !forwardBuffer[deck]) return kSoundNotInitialized;
    const int c = chunkStart(GetBackwardPlayPosition(deck));
    forwardBuffer[deck]->setPlayCursor(kLastChunkStart - c);
    return forwardBuffer[deck]->playWithFadeIn();
}

SoundResult CZanSoundOutput::StartBackwardFromForward(int deck) {
    if (!valid(deck) || !backwardBuffer[deck]) return kSoundNotInitialized;
    const int c = chunkStart(GetForwardPlayPosition(deck));
    backwardBuffer[deck]->setPlayCursor(kLastChunkStart - c);
    return backwardBuffer[deck]->playWithFadeIn();
}

void CZanSoundOutput::ReleaseDeckBuffers(int deck) {
    if (!valid(deck)) return;
    // The deck's effect settings stay: new buffers take them up again. The chains go with
    // the buffers.
    // Stop, then release: each buffer detaches from the device before it is freed.
    if (backwardBuffer[deck]) backwardBuffer[deck]->stop();
    backwardBuffer[deck].reset();
    if (forwardBuffer[deck]) forwardBuffer[deck]->stop();
    forwardBuffer[deck].reset();
}

void CZanSoundOutput::ReleaseAll() {
    ReleaseDeckBuffers(0);
    ReleaseDeckBuffers(1);
    device_.reset();
}

}  // namespace quillmix
