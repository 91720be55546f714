// Audio-thread side of the sound buffer: commands, resampling, effects, gains and fades,
// and the position notifications. Everything here is real-time safe: no allocation, no
// lock, no I/O; events are set with one atomic store and a wake.
#include <algorithm>
#include <cmath>

#include "sound/sinc_resampler.h"
#include "sound/sound_buffer.h"

namespace quillmix {

namespace {
constexpr std::uint64_t kRingLength = static_cast<std::uint64_t>(kSoundBufferFrames) << 32;
// After the curve's last step a fade eases to its final level over this many frames
// instead of jumping there.
constexpr int kFadeTailFrames = 64;
}  // namespace

bool SoundBuffer::renderAdd(float* bus, int busChannels, int frames) noexcept {
    Command command;
    while (commands_.pop(command)) applyCommand(command);
    // Seq_cst pairs with the exchange in swapEffectChain and the mixer's epoch.
    AudioEffectChain* const chain = chain_.load();
    if (!active_) {
        settleChain(chain);
        return false;
    }
    const std::uint64_t step = SincResampler::stepFor(frequency_.load(std::memory_order_relaxed), deviceRate_);
    const auto fromFrame = static_cast<std::uint32_t>(position_ >> 32);
    const bool silent = heldSilent();
    if (silent) {
        // A buffer held at silence (a deck faded out of this output) is not heard: its
        // cursor and notifications go on, but nothing is resampled, processed or mixed.
        position_ = (position_ + step * static_cast<std::uint64_t>(frames)) % kRingLength;
        settleChain(chain);
        skippedSilence_ = true;
    } else {
        if (skippedSilence_ && chain) chain->reset();  // heard again: no stale tail
        skippedSilence_ = false;
        resampleBlock(frames, step);
        runEffectChain(chain, frames);
        mixInto(bus, busChannels, frames);
    }
    const auto toFrame = static_cast<std::uint32_t>(position_ >> 32);
    // The cursor first, then the event: a thread woken by the event must find the cursor
    // already past the offset it announces. Release: a reader of the cursor also sees
    // what was rendered up to it.
    publishedFrame_.store(toFrame, std::memory_order_release);
    notifyPassed(fromFrame, (toFrame + kSoundBufferFrames - fromFrame) % kSoundBufferFrames);
    return !silent;
}

bool SoundBuffer::heldSilent() const noexcept {
    return gainsPrimed_ && gainLeft_ == 0.0f && gainRight_ == 0.0f && fadeKind_ == FadeKind::none && !blending_ &&
           volume_.load(std::memory_order_relaxed) <= kVolumeSilent;
}

// A stopped buffer takes up the slot's chain at once: there is no sound to blend.
void SoundBuffer::settleChain(AudioEffectChain* target) noexcept {
    if (target == runningChain_ && !blending_) return;
    runningChain_ = target;
    blendFrom_ = nullptr;
    blending_ = false;
    publishHeldChains();
}

// Runs the chain in the slot. A chain that replaced the running one starts a blend; one
// that arrives during a blend waits for the blend's end, so at most two chains run.
void SoundBuffer::runEffectChain(AudioEffectChain* target, int frames) noexcept {
    if (!blending_ && target != runningChain_) {
        blendFrom_ = runningChain_;
        runningChain_ = target;
        blending_ = true;
        blendFrame_ = 0;
        publishHeldChains();
    }
    if (blending_) {
        blendChains(frames);
    } else if (runningChain_) {
        runningChain_->process(block_.data(), frames);
    }
}

// Both chains process the same input; the output moves linearly from the old chain's to
// the new one's. The dry signal stands in for a null chain on either side.
void SoundBuffer::blendChains(int frames) noexcept {
    const int samples = 2 * frames;
    std::copy(block_.begin(), block_.begin() + samples, blendBlock_.begin());
    if (blendFrom_) blendFrom_->process(blendBlock_.data(), frames);
    if (runningChain_) runningChain_->process(block_.data(), frames);
    const float perFrame = 1.0f / static_cast<float>(blendFrames_);
    for (int n = 0; n < frames; ++n) {
        const float w = std::min(1.0f, static_cast<float>(blendFrame_ + n + 1) * perFrame);
        block_[2 * n] = blendBlock_[2 * n] + (block_[2 * n] - blendBlock_[2 * n]) * w;
        block_[2 * n + 1] = blendBlock_[2 * n + 1] + (block_[2 * n + 1] - blendBlock_[2 * n + 1]) * w;
    }
    blendFrame_ += frames;
    if (blendFrame_ >= blendFrames_) {
        blending_ = false;
        blendFrom_ = nullptr;
        publishHeldChains();
    }
}

// The fading chain first, then the running one: the window thread reads them in the other
// order, so a chain moving from running to fading is seen held in at least one of them.
void SoundBuffer::publishHeldChains() noexcept {
    heldBlendFrom_.store(blendFrom_);
    heldRunning_.store(runningChain_);
}

void SoundBuffer::applyCommand(const Command& command) noexcept {
    switch (command.kind) {
        case CommandKind::play:
            if (fadeKind_ != FadeKind::none) finishFade();
            if (!active_) gainsPrimed_ = false;
            active_ = true;
            fadeFactor_ = 1.0f;
            break;
        case CommandKind::stop:
            if (fadeKind_ != FadeKind::none) finishFade();
            active_ = false;
            break;
        case CommandKind::seek:
            position_ = static_cast<std::uint64_t>(command.frame) << 32;
            publishedFrame_.store(command.frame, std::memory_order_release);
            // Release after the cursor: once the owner sees the seek applied, it sees its cursor.
            seeksApplied_.fetch_add(1, std::memory_order_release);
            break;
        case CommandKind::fadeIn:
        case CommandKind::fadeOut: {
            const bool fadeIn = command.kind == CommandKind::fadeIn;
            if (!fadeIn && !active_) {  // nothing to fade out
                fades_->completed.store(command.fadeTicket, std::memory_order_release);
                break;
            }
            const float start = active_ ? fadeFactor_ : 0.0f;
            if (fadeKind_ != FadeKind::none) finishFade();  // superseded where it stands
            if (!active_) gainsPrimed_ = false;
            active_ = true;
            fadeKind_ = fadeIn ? FadeKind::in : FadeKind::out;
            fadeFrame_ = 0;
            fadeStartFactor_ = start;
            fadeFactor_ = start;
            fadeTicket_ = command.fadeTicket;
            break;
        }
    }
}

// Ends the running fade: reached its end, or superseded by another command. A fade out
// that reached its end stops the buffer.
void SoundBuffer::finishFade() noexcept {
    if (fadeKind_ == FadeKind::out && fadeFrame_ >= fadeFrames_ + kFadeTailFrames) active_ = false;
    fadeKind_ = FadeKind::none;
    fadeFactor_ = 1.0f;
    // Release: the owner that sees its fade done also sees the state it left.
    fades_->completed.store(fadeTicket_, std::memory_order_release);
}

void SoundBuffer::resampleBlock(int frames, std::uint64_t step) noexcept {
    const std::uint64_t fraction = position_ & (SincResampler::kOne - 1);
    const auto whole = static_cast<std::int64_t>(position_ >> 32);
    if (step == SincResampler::kOne && fraction == 0) {
        // Same rate on a whole frame: the kernel would pass samples through unchanged.
        readFloats(whole * 2, block_.data(), frames * 2);
    } else {
        const int span = SincResampler::inputFramesFor(fraction, step, frames);
        const int reach = SincResampler::reach(step);
        readFloats((whole - reach + 1) * 2, input_.data(), span * 2);
        SincResampler::process(input_.data(), fraction, step, frames, block_.data());
    }
    position_ = (position_ + step * static_cast<std::uint64_t>(frames)) % kRingLength;
}

// `count` samples from sample `firstSample` on (taken modulo the ring, so it may be
// negative), as floats with 1.0 at full scale; one relaxed load per word of four.
void SoundBuffer::readFloats(std::int64_t firstSample, float* out, int count) const noexcept {
    constexpr std::int64_t kSamples = kSoundBufferBytes / 2;
    constexpr float kScale = 1.0f / 32768.0f;
    auto lane = [](std::uint64_t word, int k) {
        return static_cast<float>(static_cast<std::int16_t>(static_cast<std::uint16_t>(word >> (16 * k)))) * kScale;
    };
    auto index = static_cast<int>((firstSample % kSamples + kSamples) % kSamples);
    while (count > 0) {
        const std::uint64_t word = words_[index / 4].load(std::memory_order_relaxed);
        const int first = index % 4;
        const int take = std::min(4 - first, count);
        if (take == 4) {
            out[0] = lane(word, 0);
            out[1] = lane(word, 1);
            out[2] = lane(word, 2);
            out[3] = lane(word, 3);
        } else {
            for (int k = 0; k < take; ++k) out[k] = lane(word, first + k);
        }
        out += take;
        count -= take;
        index += take;
        if (index == kSamples) index = 0;
    }
}

void SoundBuffer::notifyPassed(std::uint32_t fromFrame, std::uint32_t framesAdvanced) noexcept {
    // Acquire: pairs with the release in setNotificationPositions.
    const int count = notifyCount_.load(std::memory_order_acquire);
    if (framesAdvanced == 0) return;
    for (int i = 0; i < count; ++i) {
        const std::uint32_t distance = (notifyFrames_[i] + kSoundBufferFrames - fromFrame) % kSoundBufferFrames;
        if (distance != 0 && distance <= framesAdvanced) {
            notifyEvent_.set();  // one set covers every offset passed in this block
            return;
        }
    }
}

// The fade's level relative to the buffer's own volume S, one device frame further on.
// Along the curve x = frame / fadeFrames (0 .. 1), e = e^(-3x) (the curve's e^(-i/166.67)
// at i = 500x): fading in, the volume is (S + 10000)(1 - e) - 10000, which is S - (S + 10000)e;
// fading out it is (S + 10000)e - 10000, which is S + (S + 10000)(e - 1).
float SoundBuffer::fadeFactorAt(int volume) noexcept {
    const double headroom = static_cast<double>(volume - kVolumeSilent);
    const bool fadeIn = fadeKind_ == FadeKind::in;
    auto curve = [&](double x) {
        const double e = std::exp(-3.0 * x);
        return amplitudeOfHundredthsDb(fadeIn ? -headroom * e : headroom * (e - 1.0));
    };
    double level;
    if (fadeFrame_ < fadeFrames_) {
        level = curve(static_cast<double>(fadeFrame_) / fadeFrames_);
    } else {
        const double end = curve(1.0);
        const double t = static_cast<double>(fadeFrame_ - fadeFrames_ + 1) / kFadeTailFrames;
        level = end + ((fadeIn ? 1.0 : 0.0) - end) * t;
    }
    const auto c = static_cast<float>(level);
    fadeFactor_ = fadeIn ? std::max(fadeStartFactor_, c) : std::min(fadeStartFactor_, c);
    const float factor = fadeFactor_;
    if (++fadeFrame_ >= fadeFrames_ + kFadeTailFrames) finishFade();
    return factor;
}

void SoundBuffer::mixInto(float* bus, int busChannels, int frames) noexcept {
    const int volume = volume_.load(std::memory_order_relaxed);
    const int pan = pan_.load(std::memory_order_relaxed);
    const double amplitude = amplitudeOfHundredthsDb(volume);
    // The far side is attenuated by |pan| hundredths of a decibel, the near side kept.
    const auto targetLeft = static_cast<float>(amplitude * (pan > 0 ? amplitudeOfHundredthsDb(-pan) : 1.0));
    const auto targetRight = static_cast<float>(amplitude * (pan < 0 ? amplitudeOfHundredthsDb(pan) : 1.0));
    if (!gainsPrimed_) {  // a start takes its gains as they are, without a ramp from zero
        gainLeft_ = targetLeft;
        gainRight_ = targetRight;
        gainsPrimed_ = true;
    }
    const int base = (channelMask_ == kRearPair && busChannels >= 4) ? 2 : 0;
    const float stepLeft = (targetLeft - gainLeft_) / static_cast<float>(frames);
    const float stepRight = (targetRight - gainRight_) / static_cast<float>(frames);
    const bool fading = fadeKind_ != FadeKind::none;
    for (int n = 0; n < frames; ++n) {
        const bool last = n + 1 == frames;
        float left = last ? targetLeft : gainLeft_ + stepLeft * static_cast<float>(n + 1);
        float right = last ? targetRight : gainRight_ + stepRight * static_cast<float>(n + 1);
        if (fading && fadeKind_ != FadeKind::none) {
            const float f = fadeFactorAt(volume);
            left *= f;
            right *= f;
        } else if (fading) {  // the fade ended inside this block
            if (!active_) {
                left = 0.0f;
                right = 0.0f;
            }
        }
        float* out = bus + static_cast<std::ptrdiff_t>(n) * busChannels + base;
        out[0] += block_[2 * n] * left;
        out[1] += block_[2 * n + 1] * right;
    }
    gainLeft_ = targetLeft;
    gainRight_ = targetRight;
}

}  // namespace quillmix
