#pragma once
// One channel of delay memory with integer and interpolated taps.
//
// Contract: allocate() (owner thread, off the audio thread) sizes the line for a longest
// delay; everything else is real-time safe. A tap of delay d reads the sample pushed d
// pushes ago, so a read-then-push loop with d >= 1 is a proper feedback delay.

#include <algorithm>
#include <cmath>
#include <vector>

namespace quillmix {

class DelayLine {
public:
    // Longest delay the line will be asked for, in samples (fractional taps need 2 more).
    void allocate(int maxDelaySamples) {
        int size = 4;
        while (size < maxDelaySamples + 4) size *= 2;
        buffer_.assign(static_cast<std::size_t>(size), 0.0f);
        mask_ = size - 1;
        writeIndex_ = 0;
    }

    void clear() noexcept { std::fill(buffer_.begin(), buffer_.end(), 0.0f); }

    void push(float sample) noexcept {
        buffer_[static_cast<std::size_t>(writeIndex_)] = sample;
        writeIndex_ = (writeIndex_ + 1) & mask_;
    }

    // The `count` samples tap(delay) gives over the next `count` pushes, oldest first, into
    // `out`; 1 <= count <= delay, so every one of them has been pushed already.
    void readBlock(int delay, float* out, int count) const noexcept {
        const int start = (writeIndex_ - delay) & mask_;
        const int first = std::min(count, mask_ + 1 - start);
        std::copy_n(buffer_.data() + start, first, out);
        std::copy_n(buffer_.data(), count - first, out + first);
    }

    // Pushes `count` samples in order, as `count` calls of push would.
    void pushBlock(const float* in, int count) noexcept {
        const int first = std::min(count, mask_ + 1 - writeIndex_);
        std::copy_n(in, first, buffer_.data() + writeIndex_);
        std::copy_n(in + first, count - first, buffer_.data());
        writeIndex_ = (writeIndex_ + count) & mask_;
    }

    // delay >= 1 samples, within the allocated length.
    float tap(int delay) const noexcept { return buffer_[static_cast<std::size_t>((writeIndex_ - delay) & mask_)]; }

    // Four-point Hermite interpolation; delay >= 2 samples. Exact at whole delays, and
    // keeps the top octave far better than a linear tap while the delay sweeps.
    float tapInterpolated(float delay) const noexcept {
        const float whole = std::floor(delay);
        const float fraction = delay - whole;
        const int d = static_cast<int>(whole);
        const float newer = tap(d - 1), y0 = tap(d), y1 = tap(d + 1), older = tap(d + 2);
        const float c1 = 0.5f * (y1 - newer);
        const float c2 = newer - 2.5f * y0 + 2.0f * y1 - 0.5f * older;
        const float c3 = 0.5f * (older - newer) + 1.5f * (y0 - y1);
        return ((c3 * fraction + c2) * fraction + c1) * fraction + y0;
    }

private:
    std::vector<float> buffer_;
    int mask_ = 0;
    int writeIndex_ = 0;
};

}  // namespace quillmix
