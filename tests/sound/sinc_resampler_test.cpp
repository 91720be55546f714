// The windowed-sinc resampler's quality, whatever the block size, measured beside
// libsamplerate's fastest sinc converter. (Same-rate playback on whole frames does not go
// through it: the sound buffer tests check that it comes out bit for bit.)
#include <gtest/gtest.h>
#include <samplerate.h>

#include <cmath>
#include <vector>

#include "sound/sinc_resampler.h"

using namespace quillmix;

namespace {

// Resamples a mono signal (duplicated to stereo) at a fixed step, block by block, the way
// the sound buffers drive the resampler; returns the left channel.
std::vector<double> resampleMono(const std::vector<double>& in, double step, int outFrames, int block) {
    const std::uint64_t fixedStep = static_cast<std::uint64_t>(std::llround(step * SincResampler::kOne));
    std::vector<double> out;
    std::uint64_t position = static_cast<std::uint64_t>(200) << 32;  // start inside the signal
    std::vector<float> input, result(static_cast<std::size_t>(block) * 2);
    while (static_cast<int>(out.size()) < outFrames) {
        const std::uint64_t fraction = position & (SincResampler::kOne - 1);
        const auto whole = static_cast<std::int64_t>(position >> 32);
        const int span = SincResampler::inputFramesFor(fraction, fixedStep, block);
        const int reach = SincResampler::reach(fixedStep);
        input.assign(static_cast<std::size_t>(span) * 2, 0.0f);
        for (int i = 0; i < span; ++i) {
            const std::int64_t k = whole - reach + 1 + i;
            const float v = (k >= 0 && k < static_cast<std::int64_t>(in.size())) ? static_cast<float>(in[k]) : 0.0f;
            input[2 * i] = input[2 * i + 1] = v;
        }
        SincResampler::process(input.data(), fraction, fixedStep, block, result.data());
        for (int n = 0; n < block; ++n) out.push_back(result[2 * n]);
        position += fixedStep * static_cast<std::uint64_t>(block);
    }
    out.resize(static_cast<std::size_t>(outFrames));
    return out;
}

// Signal-to-error ratio in dB of a resampled 997 Hz sine against the ideal one.
double sineSnr(const std::vector<double>& got, double outRate, double startSeconds) {
    double signal = 0, error = 0;
    for (std::size_t n = 2000; n + 2000 < got.size(); ++n) {
        const double ideal = 0.5 * std::sin(2 * M_PI * 997.0 * (startSeconds + n / outRate));
        signal += ideal * ideal;
        error += (got[n] - ideal) * (got[n] - ideal);
    }
    return 10 * std::log10(signal / error);
}

// A sine of amplitude 0.5.
std::vector<double> sine(int frames, double hertz, double rate) {
    std::vector<double> x(static_cast<std::size_t>(frames));
    for (int n = 0; n < frames; ++n) x[n] = 0.5 * std::sin(2 * M_PI * hertz * n / rate);
    return x;
}

}  // namespace

TEST(SincResamplerTest, SineQualityIsOnParWithLibsamplerateFastestSinc) {
    const int inFrames = 44100;
    const auto in = sine(inFrames, 997.0, 44100);
    for (double step : {44100.0 / 48000.0, 48000.0 / 44100.0, 1.08}) {
        const double outRate = 44100.0 / step;
        const int outFrames = static_cast<int>(inFrames / step) - 1000;

        std::vector<float> srcIn(in.begin(), in.end()), srcOut(static_cast<std::size_t>(outFrames) + 4000);
        SRC_DATA data{};
        data.data_in = srcIn.data();
        data.input_frames = inFrames;
        data.data_out = srcOut.data();
        data.output_frames = static_cast<long>(srcOut.size());
        data.src_ratio = outRate / 44100.0;
        ASSERT_EQ(src_simple(&data, SRC_SINC_FASTEST, 1), 0);
        std::vector<double> theirs(srcOut.begin(), srcOut.begin() + data.output_frames_gen);
        const double reference = sineSnr(theirs, outRate, 0);

        // Both device-rate steps read the polyphase tables, 1.08 the kernel table tap by tap;
        // a block of one frame moves the position between every output frame.
        for (int block : {1, 256}) {
            const double ours = sineSnr(resampleMono(in, step, outFrames, block), outRate, 200 / 44100.0);
            EXPECT_GT(ours, 90.0) << outRate << ", block " << block;
            EXPECT_GT(ours, reference - 3.0) << "ours " << ours << " dB, libsamplerate " << reference << " dB";
        }
    }
}

TEST(SincResamplerTest, PlayingFasterRejectsWhatWouldFoldBackBelowNyquist) {
    // A 20 kHz tone played 1.25 times faster lands at 25 kHz, above the output's Nyquist
    // frequency; a good kernel removes it instead of folding it down to 19.1 kHz.
    const auto out = resampleMono(sine(20000, 20000.0, 44100), 1.25, 12000, 256);
    double power = 0;
    for (std::size_t n = 1000; n < 11000; ++n) power += out[n] * out[n];
    const double rms = std::sqrt(power / 10000);
    EXPECT_LT(20 * std::log10(rms / (0.5 / std::sqrt(2.0))), -60.0);
}
