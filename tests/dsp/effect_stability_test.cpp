// Every effect at the ends of its parameter ranges on loud noise: finite, bounded, silent
// again without subnormal numbers afterwards; and the same output whatever the block size.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "dsp/effect_parametric_eq.h"
#include "support/effect_signals.h"

using namespace quillmix;
using namespace quillmix::test;

namespace {
// Ten seconds of noise is the real soak; the sanitizer builds look for memory and undefined
// behaviour, which a shorter run shows just as well at a tenth of their much higher cost.
#ifdef QUILLMIX_SANITIZED
constexpr int kSoakSeconds = 2;
#else
constexpr int kSoakSeconds = 10;
#endif

std::vector<EffectKind> allEffects() {
    std::vector<EffectKind> kinds;
    for (const auto& d : effectDescriptions())
        if (d.kind != EffectKind::None) kinds.push_back(d.kind);
    return kinds;
}

// Loudest output a setting can legitimately make from full-scale input: only the
// compressor's make-up gain lifts the level beyond a few times full scale.
double outputBound(EffectKind kind, float firstParameter) {
    return kind == EffectKind::Compressor ? 4.0 * std::pow(10.0, std::max(firstParameter, 0.0f) / 20.0) : 8.0;
}
}  // namespace

TEST(EffectStabilityTest, RangeEndsStayFiniteAndBoundedOnTenSecondsOfNoise) {
    const StereoBuffer noise = stereoNoise(kSoakSeconds * 44100, 11, 1.0f);
    for (EffectKind kind : allEffects()) {
        const EffectDescription& d = describeEffect(kind);
        for (int corner = 0; corner < 4; ++corner) {
            const float first = corner & 1 ? d.parameters[0].maximum : d.parameters[0].minimum;
            const float second = corner & 2 ? d.parameters[1].maximum : d.parameters[1].minimum;
            auto effect = preparedEffect(kind, {first, second});
            StereoBuffer signal = noise;
            processInBlocks(signal, 8192, [&](float* b, int n) { effect->process(b, n); });
            SCOPED_TRACE(std::string(d.name) + " " + std::to_string(first) + ", " + std::to_string(second));
            ASSERT_TRUE(allFinite(signal));
            EXPECT_LE(peakMagnitude(signal), outputBound(kind, first));

            StereoBuffer after = stereoSilence(3 * 44100);
            processInBlocks(after, 8192, [&](float* b, int n) { effect->process(b, n); });
            EXPECT_EQ(countSubnormals(after), 0);
            const bool repeatsForever = kind == EffectKind::Echo && first == 100.0f;
            if (!repeatsForever) {
                // Resonant settings (chorus at 99 % over 16 ms) ring for many seconds, but
                // every loop gain is below one, so the ringing keeps falling.
                const double firstSecond = rmsDb(after, 0, 0, 44100);
                const double lastSecond = rmsDb(after, 0, 2 * 44100, 44100);
                EXPECT_TRUE(lastSecond < -150.0 || lastSecond < firstSecond - 10.0)
                    << "dies away: " << firstSecond << " dB, then " << lastSecond << " dB";
            }
        }
    }
}

TEST(EffectStabilityTest, OtherDeviceRatesAndChangesWhileRunningStayBounded) {
    for (double rate : {8000.0, 22050.0, 96000.0}) {
        const int frames = static_cast<int>(rate);
        for (EffectKind kind : allEffects()) {
            const EffectDescription& d = describeEffect(kind);
            auto effect = preparedEffect(kind, {}, rate);
            StereoBuffer signal = stereoNoise(frames, 5, 1.0f);
            int block = 0;
            // Swing both parameters between their ends every block, as a wild slider would.
            processInBlocks(signal, 500, [&](float* b, int n) {
                for (int i = 0; i < 2; ++i) {
                    const auto& p = d.parameters[i];
                    effect->setParameter(i, (block + i) % 2 ? p.maximum : p.minimum);
                }
                ++block;
                effect->process(b, n);
            });
            SCOPED_TRACE(std::string(d.name) + " at " + std::to_string(rate));
            ASSERT_TRUE(allFinite(signal));
            EXPECT_LE(peakMagnitude(signal), outputBound(kind, d.parameters[0].maximum));
        }
    }
}

TEST(EffectStabilityTest, EqualiserBandRangeEndsStayFiniteAndBounded) {
    for (double rate : {8000.0, 44100.0, 96000.0}) {
        for (float centre : {80.0f, 16000.0f}) {
            for (float width : {1.0f, 36.0f, 60.0f}) {
                for (float gain : {-15.0f, 15.0f}) {
                    ParametricEq eq(centre, width, gain);
                    eq.prepare(rate);
                    StereoBuffer signal = stereoNoise(static_cast<int>(rate), 9, 1.0f);
                    eq.process(signal.data(), static_cast<int>(rate));
                    ASSERT_TRUE(allFinite(signal)) << centre << " " << width << " " << gain << " " << rate;
                    EXPECT_LE(peakMagnitude(signal), 12.0);
                }
            }
        }
    }
}

TEST(EffectStabilityTest, OutputDoesNotDependOnTheBlockSize) {
    const int frames = 2 * 44100;
    const StereoBuffer noise = stereoNoise(frames, 21, 0.7f);
    for (EffectKind kind : allEffects()) {
        StereoBuffer whole = noise;
        preparedEffect(kind, {})->process(whole.data(), frames);
        for (int blockFrames : {1, 37, 2940}) {
            auto effect = preparedEffect(kind, {});
            StereoBuffer pieces = noise;
            processInBlocks(pieces, blockFrames, [&](float* b, int n) { effect->process(b, n); });
            double worst = 0.0;
            for (std::size_t i = 0; i < whole.size(); ++i)
                worst = std::max(worst, double{std::fabs(whole[i] - pieces[i])});
            EXPECT_LT(worst, 1e-5) << describeEffect(kind).name << " in blocks of " << blockFrames;
        }
    }
}
