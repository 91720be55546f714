// The reverb against a plain sample-by-sample form of the same network (the form it was
// first written in): on the same input the two agree to float rounding, whatever the block
// sizes, parameters and rate.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "support/effect_signals.h"

namespace quillmix {
namespace {

class ReferenceReverb {
public:
    ReferenceReverb(double rate, float timeMs, float highRatio) {
        static constexpr int kLines[8] = {1447, 1553, 1693, 1811, 1949, 2083, 2221, 2357};
        static constexpr int kDiffusers[2][4] = {{142, 107, 379, 277}, {149, 113, 373, 283}};
        auto scaled = [&](int n) { return std::max(1, static_cast<int>(std::lround(n * rate / 44100.0))); };
        for (int ch = 0; ch < 2; ++ch)
            for (int i = 0; i < 4; ++i) diffusers_[ch][i].assign(scaled(kDiffusers[ch][i]), 0.0f);
        for (int i = 0; i < 8; ++i) {
            lines_[i].assign(scaled(kLines[i]), 0.0f);
            const double lowGain = std::pow(10.0, -3.0 * lines_[i].size() / (0.001 * timeMs * rate));
            const double highGain = std::pow(lowGain, 1.0 / highRatio);
            const double pole = std::min((lowGain - highGain) / (lowGain + highGain), 0.85);
            pole_[i] = static_cast<float>(pole);
            gain_[i] = static_cast<float>(lowGain * (1.0 - pole));
        }
    }

    void process(float* samples, int frames) {
        for (int f = 0; f < frames; ++f, ++time_) {
            float v[8], wet[2] = {0.0f, 0.0f};
            for (int i = 0; i < 8; ++i) {
                state_[i] = gain_[i] * delayed(lines_[i]) + pole_[i] * state_[i];
                v[i] = state_[i];
                wet[i % 2] += state_[i];
            }
            for (int span = 1; span < 8; span *= 2)
                for (int i = 0; i < 8; i += 2 * span)
                    for (int j = i; j < i + span; ++j) {
                        const float a = v[j], b = v[j + span];
                        v[j] = a + b;
                        v[j + span] = a - b;
                    }
            float feed[2];
            for (int ch = 0; ch < 2; ++ch) {
                float signal = samples[2 * f + ch];
                for (auto& line : diffusers_[ch]) {
                    const float d = delayed(line);
                    const float written = signal + 0.6f * d;
                    delayed(line) = written;
                    signal = d - 0.6f * written;
                }
                feed[ch] = signal;
            }
            for (int i = 0; i < 8; ++i) delayed(lines_[i]) = 0.35355339f * v[i] + feed[i % 2];
            for (int ch = 0; ch < 2; ++ch) samples[2 * f + ch] += 0.35f * wet[ch];
        }
    }

private:
    // The slot read `size` frames after it was written, and rewritten now.
    float& delayed(std::vector<float>& line) { return line[time_ % line.size()]; }

    std::array<std::array<std::vector<float>, 4>, 2> diffusers_;
    std::array<std::vector<float>, 8> lines_;
    std::array<float, 8> gain_{}, pole_{}, state_{};
    std::size_t time_ = 0;
};

TEST(ReverbReferenceTest, SpanProcessingMatchesThePlainNetwork) {
    struct Case {
        double rate;
        float timeMs, highRatio;
        int block;
    };
    for (const Case& c : {Case{44100, 1000.0f, 0.001f, 2940}, Case{48000, 3000.0f, 0.999f, 37},
                          Case{44100, 200.0f, 0.5f, 1}, Case{8000, 1500.0f, 0.2f, 333}}) {
        const int frames = static_cast<int>(c.rate);
        test::StereoBuffer expected = test::stereoNoise(frames / 2, 11, 0.8f);
        expected.resize(2 * static_cast<std::size_t>(frames), 0.0f);  // a silent half: the free tail too
        test::StereoBuffer actual = expected;
        ReferenceReverb reference(c.rate, c.timeMs, c.highRatio);
        reference.process(expected.data(), frames);
        auto reverb = test::preparedEffect(EffectKind::Reverb, {c.timeMs, c.highRatio}, c.rate);
        test::processInBlocks(actual, c.block, [&](float* b, int n) { reverb->process(b, n); });
        float worst = 0.0f;
        for (std::size_t i = 0; i < actual.size(); ++i) worst = std::max(worst, std::fabs(actual[i] - expected[i]));
        EXPECT_LT(worst, 1e-6f) << "rate " << c.rate << ", block " << c.block;
        // 50 ms into the silent half the tail still rings, so the comparison saw it.
        EXPECT_GT(std::fabs(actual[static_cast<std::size_t>(frames + 2 * (frames / 20))]), 1e-4f);
    }
}

}  // namespace
}  // namespace quillmix
