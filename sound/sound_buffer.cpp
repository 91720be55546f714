// Window-thread side of the sound buffer: the owner's requests, handed to the audio thread
// as atomics or queued commands.
#include "sound/sound_buffer.h"

#include <algorithm>
#include <bit>
#include <chrono>
#include <cmath>
#include <cstring>
#include <thread>

#include "platform/messaging.h"
#include "platform/realtime_guard.h"
#include "sound/sinc_resampler.h"
#include "sound/sound_device.h"

namespace quillmix {

namespace {
// A fade on a clocked device that has not finished after this long means the stream has
// stalled; the wait gives up rather than hang the window thread.
constexpr auto kFadeGiveUp = std::chrono::seconds(2);
}  // namespace

SoundBuffer::SoundBuffer(std::shared_ptr<SoundDevice> device, const SoundBufferDesc& desc)
    : device_(std::move(device)),
      mixer_(&device_->mixer()),
      channelMask_(desc.channelMask),
      deviceRate_(device_->sampleRate()),
      maxBlockFrames_(device_->mixer().maxBlockFrames()),
      fadeFrames_(static_cast<int>(std::ceil(deviceRate_ * kFadeMilliseconds / 1000.0))),
      words_(new std::atomic<std::uint64_t>[kSampleWords]),
      frequency_(desc.frequency),
      blendFrames_(std::max(1, deviceRate_ * kChainBlendMilliseconds / 1000)) {
    static_assert(kSoundBufferBytes % 8 == 0 && std::atomic<std::uint64_t>::is_always_lock_free);
    for (int i = 0; i < kSampleWords; ++i) words_[i].store(0, std::memory_order_relaxed);
    const std::uint64_t maxStep = SincResampler::stepFor(kFrequencyMax, deviceRate_);
    const int span = SincResampler::inputFramesFor(SincResampler::kOne - 1, maxStep, maxBlockFrames_);
    input_.assign(static_cast<std::size_t>(span) * 2, 0.0f);
    block_.assign(static_cast<std::size_t>(maxBlockFrames_) * 2, 0.0f);
    blendBlock_.assign(static_cast<std::size_t>(maxBlockFrames_) * 2, 0.0f);
}

SoundBuffer::~SoundBuffer() {
    if (!detached_) mixer_->detach(this);  // a buffer not deleted through its own delete
    // A fade still waiting in an outer call sees the buffer gone and returns.
    fades_->bufferAlive.store(false, std::memory_order_release);
    fades_->completed.store(UINT64_MAX, std::memory_order_release);
}

void* SoundBuffer::operator new(std::size_t bytes) { return ::operator new(bytes); }

void SoundBuffer::operator delete(SoundBuffer* buffer, std::destroying_delete_t) {
    if (!buffer->detached_) {
        buffer->detached_ = true;
        if (!buffer->mixer_->detach(buffer)) {
            buffer->fades_->bufferAlive.store(false, std::memory_order_release);
            buffer->fades_->completed.store(UINT64_MAX, std::memory_order_release);
            // The mixer holds it now; the device reference goes at the end of this scope,
            // so that the device can close and, once its stream is gone, free it.
            const std::shared_ptr<SoundDevice> device = std::move(buffer->device_);
            buffer->mixer_->park(buffer);
            return;
        }
    }
    buffer->~SoundBuffer();
    ::operator delete(buffer);
}

namespace {
constexpr int kLaneBits = 16;
constexpr std::uint64_t kLaneMask = 0xFFFF;

// Sample k of four in bits 16k: on a little-endian host that is the samples' own bytes.
std::uint64_t packWord(const std::int16_t* s) {
    std::uint64_t word = 0;
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(&word, s, sizeof word);
    } else {
        for (int lane = 0; lane < 4; ++lane)
            word |= static_cast<std::uint64_t>(static_cast<std::uint16_t>(s[lane])) << (kLaneBits * lane);
    }
    return word;
}
}  // namespace

// Whole words are stored outright; a word the span only partly covers is read, changed
// and stored, which is safe because this (the owner's thread) is the only writer.
void SoundBuffer::write(int byteOffset, const std::int16_t* samples, int sampleCount) {
    constexpr int kSamples = kSoundBufferBytes / 2;
    int index = ((byteOffset / 2) % kSamples + kSamples) % kSamples;
    while (sampleCount > 0) {
        if (index % 4 == 0 && sampleCount >= 4) {
            const int words = std::min(sampleCount, kSamples - index) / 4;
            for (int w = 0; w < words; ++w)
                words_[index / 4 + w].store(packWord(samples + 4 * w), std::memory_order_relaxed);
            samples += 4 * words;
            sampleCount -= 4 * words;
            index = (index + 4 * words) % kSamples;
            continue;
        }
        std::atomic<std::uint64_t>& word = words_[index / 4];
        const int shift = kLaneBits * (index % 4);
        const std::uint64_t lane = static_cast<std::uint64_t>(static_cast<std::uint16_t>(*samples)) << shift;
        word.store((word.load(std::memory_order_relaxed) & ~(kLaneMask << shift)) | lane, std::memory_order_relaxed);
        ++samples;
        --sampleCount;
        if (++index == kSamples) index = 0;
    }
}

void SoundBuffer::read(int byteOffset, std::int16_t* out, int sampleCount) const {
    constexpr int kSamples = kSoundBufferBytes / 2;
    int index = ((byteOffset / 2) % kSamples + kSamples) % kSamples;
    for (int i = 0; i < sampleCount; ++i) {
        const std::uint64_t word = words_[index / 4].load(std::memory_order_relaxed);
        out[i] = static_cast<std::int16_t>(static_cast<std::uint16_t>(word >> (kLaneBits * (index % 4))));
        if (++index == kSamples) index = 0;
    }
}

bool SoundBuffer::post(const Command& command) {
    realtimeNotAllowed(__func__);  // one producer: the owner's thread
    if (commands_.push(command)) return true;
    // Full: the audio thread has not run for a long while. A clocked device gets a moment
    // to catch up; a hand-stepped one only moves when stepped, so waiting would hang.
    // A lost stream never drains it: fail at once.
    if (!device_->clocked() || mixer_->lost()) return false;
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (!commands_.push(command)) {
        if (std::chrono::steady_clock::now() > giveUp || mixer_->lost()) return false;
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    return true;
}

SoundResult SoundBuffer::play() {
    ++transportGeneration_;
    playing_ = true;
    return post({CommandKind::play, 0, 0}) ? kSoundOk : kSoundUnexpected;
}

SoundResult SoundBuffer::stop() {
    ++transportGeneration_;
    playing_ = false;
    return post({CommandKind::stop, 0, 0}) ? kSoundOk : kSoundUnexpected;
}

int SoundBuffer::playCursor() const {
    // Until the audio thread has applied the last seek, the cursor is where it was set.
    if (seeksApplied_.load(std::memory_order_acquire) != seeksPosted_) return lastSeekBytes_;
    return static_cast<int>(publishedFrame_.load(std::memory_order_acquire)) * kSoundFrameBytes;
}

SoundResult SoundBuffer::setPlayCursor(int bytes) {
    if (bytes < 0 || bytes >= kSoundBufferBytes) return kSoundInvalidParam;
    const auto frame = static_cast<std::uint32_t>(bytes / kSoundFrameBytes);
    if (!post({CommandKind::seek, frame, 0})) return kSoundUnexpected;
    lastSeekBytes_ = static_cast<int>(frame) * kSoundFrameBytes;
    ++seeksPosted_;
    return kSoundOk;
}

SoundResult SoundBuffer::setFrequency(int hertz) {
    if (hertz < kFrequencyMin || hertz > kFrequencyMax) return kSoundInvalidParam;
    frequency_.store(hertz, std::memory_order_relaxed);
    return kSoundOk;
}

SoundResult SoundBuffer::setVolume(int hundredthsDb) {
    if (hundredthsDb < kVolumeSilent || hundredthsDb > kVolumeFull) return kSoundInvalidParam;
    volume_.store(hundredthsDb, std::memory_order_relaxed);
    return kSoundOk;
}

SoundResult SoundBuffer::setPan(int hundredthsDb) {
    if (hundredthsDb < kPanLeft || hundredthsDb > kPanRight) return kSoundInvalidParam;
    pan_.store(hundredthsDb, std::memory_order_relaxed);
    return kSoundOk;
}

SoundResult SoundBuffer::setNotificationPositions(const Event& event, const std::vector<int>& byteOffsets) {
    if (playing_ || static_cast<int>(byteOffsets.size()) > kMaxNotifications) return kSoundInvalidParam;
    for (int offset : byteOffsets)
        if (offset < 0 || offset >= kSoundBufferBytes) return kSoundInvalidParam;
    notifyCount_.store(0, std::memory_order_release);
    // No render may still read the old table; if one is stuck, notifications stay off.
    if (!mixer_->waitUntilQuiescent()) return kSoundUnexpected;
    notifyEvent_ = event;
    for (std::size_t i = 0; i < byteOffsets.size(); ++i) {
        // The cursor has passed byte b once it reaches the first frame beyond it.
        notifyFrames_[i] = static_cast<std::uint32_t>(byteOffsets[i] / kSoundFrameBytes + 1) % kSoundBufferFrames;
    }
    // Release: the table and the event are complete before the audio thread sees the count.
    notifyCount_.store(static_cast<int>(byteOffsets.size()), std::memory_order_release);
    return kSoundOk;
}

bool SoundBuffer::waitForFade(std::uint64_t ticket) {
    realtimeNotAllowed(__func__);
    if (!device_->clocked()) return true;
    // Copies: a handler dispatched below may destroy this buffer.
    std::shared_ptr<FadeTracker> tracker = fades_;
    // The device renders ahead of what is heard, so the audio thread may finish the ramp
    // a period before its end is audible; the caller is held for the fade's length anyway.
    const auto start = std::chrono::steady_clock::now();
    const auto giveUp = start + kFadeGiveUp;
    const auto fadeLength = std::chrono::milliseconds(kFadeMilliseconds);
    // The mixer outlives a buffer destroyed meanwhile (the device is held by its outputs
    // and by every buffer); a handler that drops the last of them ends the wait below.
    const std::shared_ptr<SoundDevice> device = device_;
    PumpingWaitScope scope;
    while (tracker->completed.load(std::memory_order_acquire) < ticket ||
           std::chrono::steady_clock::now() - start < fadeLength) {
        if (device->mixer().lost()) break;  // nothing will render the fade
        dispatchPendingMessages();
        if (std::chrono::steady_clock::now() > giveUp) break;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return tracker->bufferAlive.load(std::memory_order_acquire);
}

SoundResult SoundBuffer::playWithFadeIn() {
    if (playing_) return kSoundWrongState;
    ++transportGeneration_;
    playing_ = true;
    const std::uint64_t ticket = nextFadeTicket_++;
    if (!post({CommandKind::fadeIn, 0, ticket})) return kSoundUnexpected;
    if (!waitForFade(ticket)) return kSoundOk;  // destroyed meanwhile: touch nothing of it
    return mixer_->lost() ? kSoundUnexpected : kSoundOk;
}

SoundResult SoundBuffer::fadeOutAndStop() {
    if (!playing_) return kSoundWrongState;
    const std::uint64_t generation = ++transportGeneration_;
    const std::uint64_t ticket = nextFadeTicket_++;
    if (!post({CommandKind::fadeOut, 0, ticket})) return kSoundUnexpected;
    if (!device_->clocked()) {
        playing_ = false;
        return kSoundOk;
    }
    if (!waitForFade(ticket)) return kSoundOk;  // destroyed meanwhile
    // Unless a handler restarted it meanwhile, it has stopped (or its device is gone).
    if (transportGeneration_ == generation) playing_ = false;
    return mixer_->lost() ? kSoundUnexpected : kSoundOk;
}

void SoundBuffer::swapEffectChain(std::unique_ptr<AudioEffectChain> next) {
    // Seq_cst exchange against the render's epoch: see SoundMixer::waitUntilQuiescent. Once
    // the wait is over, a render that took up the previous chain has published it as held,
    // and every later render sees `next`.
    chain_.exchange(next.get());
    const bool quiescent = mixer_->waitUntilQuiescent();
    if (ownedChain_) retiredChains_.push_back(std::move(ownedChain_));
    ownedChain_ = std::move(next);
    if (quiescent) releaseRetiredEffectChains();  // else kept until a later swap or the end
}

int SoundBuffer::releaseRetiredEffectChains() {
    // A retired chain is never taken up again (it is no longer in the slot), so once the
    // audio thread shows it holds neither it, it is free for good.
    const AudioEffectChain* running = heldRunning_.load();
    const AudioEffectChain* fading = heldBlendFrom_.load();
    std::erase_if(retiredChains_, [&](const std::unique_ptr<AudioEffectChain>& chain) {
        return chain.get() != running && chain.get() != fading;
    });
    return static_cast<int>(retiredChains_.size());
}

}  // namespace quillmix
