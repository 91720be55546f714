// The deck effect chain and the bookkeeping behind the sound output's effect operations;
// the equaliser panel's slider and caption arithmetic.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

#include "dsp/deck_effect_chain.h"
#include "dsp/deck_effect_state.h"
#include "dsp/effect_distortion.h"
#include "dsp/effect_parametric_eq.h"
#include "dsp/equalizer_band_mapping.h"
#include "support/effect_signals.h"

using namespace quillmix;
using namespace quillmix::test;

namespace {
constexpr double kRate = 44100.0;

EqualizerBandSource threeBands() {
    EqualizerBandSource bands;
    bands.bandCount = 3;
    bands.centreHz = {40.0, 1191.0, 20000.0, 0.0, 0.0};
    bands.gainFactor = {1.1f, 0.9f, 1.3f, 1.0f, 1.0f};
    return bands;
}
}  // namespace

TEST(DeckEffectStateTest, EqualiserOnGivesTheBandsThenTheEffectOnTheForwardBufferOnly) {
    DeckEffectState deck;
    EXPECT_EQ(deck.effectName(), "No Effect");
    EXPECT_FALSE(deck.effectChainActive());
    EXPECT_TRUE(deck.forwardLayout(threeBands()).empty()) << "nothing until asked";

    deck.setEffectParameter(0, 70.0f);
    deck.setEffectParameter(1, 250.0f);
    const ChainRebuild onEffect = deck.selectEffect("Echo");
    EXPECT_TRUE(onEffect.forward && onEffect.backward);
    const ChainRebuild onEq = deck.equalizerOn();
    EXPECT_TRUE(onEq.forward);
    EXPECT_TRUE(deck.effectChainActive());

    const DeckChainLayout forward = deck.forwardLayout(threeBands());
    ASSERT_EQ(forward.equalizerBandCount, 3);
    EXPECT_EQ(forward.effect, EffectKind::Echo);
    EXPECT_EQ(forward.effectParameters[0], 70.0f);
    EXPECT_EQ(forward.effectParameters[1], 250.0f);
    EXPECT_FLOAT_EQ(forward.bands[0].bandwidthSemitones, 40.0f);
    EXPECT_FLOAT_EQ(forward.bands[0].centreHz, 80.0f) << "raised to 80 Hz";
    EXPECT_FLOAT_EQ(forward.bands[1].centreHz, 1191.0f);
    EXPECT_FLOAT_EQ(forward.bands[2].centreHz, 16000.0f) << "lowered to 16000 Hz";
    EXPECT_NEAR(forward.bands[0].gainDb, 10.0f, 1e-4);
    EXPECT_NEAR(forward.bands[1].gainDb, -10.0f, 1e-4);
    EXPECT_FLOAT_EQ(forward.bands[2].gainDb, 15.0f) << "clamped";

    const DeckChainLayout backward = deck.backwardLayout();
    EXPECT_EQ(backward.equalizerBandCount, 0);
    EXPECT_EQ(backward.effect, EffectKind::Echo);

    // Changing the effect with the equaliser on: n bands then the new effect, and the
    // backward buffer follows the new effect too.
    EXPECT_TRUE(deck.selectEffect("Reverb").backward);
    EXPECT_EQ(deck.forwardLayout(threeBands()).effect, EffectKind::Reverb);
    EXPECT_EQ(deck.forwardLayout(threeBands()).equalizerBandCount, 3);
    EXPECT_EQ(deck.backwardLayout().effect, EffectKind::Reverb);
}

TEST(DeckEffectStateTest, EffectOffLeavesTheEqualiserOrNothingAndKeepsTheValues) {
    DeckEffectState deck;
    deck.setEffectParameter(0, 33.0f);
    deck.setEffectParameter(1, 1.5f);
    deck.selectEffect("Chorus");
    deck.equalizerOn();
    deck.selectEffect("No Effect");
    const DeckChainLayout eqOnly = deck.forwardLayout(threeBands());
    EXPECT_EQ(eqOnly.effect, EffectKind::None);
    EXPECT_EQ(eqOnly.equalizerBandCount, 3);
    EXPECT_TRUE(deck.backwardLayout().empty());

    deck.equalizerOff();
    EXPECT_TRUE(deck.forwardLayout(threeBands()).empty());
    EXPECT_EQ(DeckEffectChain::build(deck.forwardLayout(threeBands()), kRate), nullptr);

    deck.selectEffect("Flanger");  // the values stored before "No Effect" are still there
    EXPECT_EQ(deck.effectParameter(0), 33.0f);
    EXPECT_EQ(deck.forwardLayout(threeBands()).effectParameters[1], 1.5f);
    EXPECT_EQ(deck.forwardLayout(threeBands()).equalizerBandCount, 0) << "equaliser off: effect alone";
    EXPECT_FALSE(deck.setEffectParameter(2, 1.0f));

    deck.selectEffect("Wah");  // not an effect of ours: carried by name, no stage
    EXPECT_EQ(deck.effectName(), "Wah");
    EXPECT_TRUE(deck.backwardLayout().empty());
}

TEST(DeckEffectChainTest, BandsRunBeforeTheEffect) {
    // Distortion is not linear, so the order of the stages shows in the output.
    DeckChainLayout layout;
    layout.equalizerBandCount = 1;
    layout.bands[0] = {1000.0f, 12.0f, 12.0f};
    layout.effect = EffectKind::Distortion;
    layout.effectParameters = {-6.0f, 60.0f};
    auto chain = DeckEffectChain::build(layout, kRate);
    ASSERT_NE(chain, nullptr);
    EXPECT_EQ(chain->equalizerBandCount(), 1);
    EXPECT_EQ(chain->effect(), EffectKind::Distortion);

    const StereoBuffer input = stereoNoise(8820, 4, 0.3f);
    StereoBuffer viaChain = input, eqFirst = input;
    processInBlocks(viaChain, 2940, [&](float* b, int n) { chain->process(b, n); });
    ParametricEq eq(1000.0f, 12.0f, 12.0f);
    DistortionEffect distortion;
    distortion.setParameter(0, -6.0f);
    distortion.setParameter(1, 60.0f);
    eq.prepare(kRate);
    distortion.prepare(kRate);
    eq.process(eqFirst.data(), 8820);
    distortion.process(eqFirst.data(), 8820);
    for (std::size_t i = 0; i < input.size(); ++i) ASSERT_NEAR(viaChain[i], eqFirst[i], 1e-6f) << i;
}

TEST(DeckEffectChainTest, LiveChangesReachTheStagesAtTheNextBlock) {
    DeckChainLayout layout;
    layout.equalizerBandCount = 2;
    layout.bands[0] = {200.0f, 12.0f, 0.0f};
    layout.bands[1] = {4000.0f, 12.0f, 0.0f};
    layout.effect = EffectKind::Echo;
    layout.effectParameters = {0.0f, 500.0f};
    auto chain = DeckEffectChain::build(layout, kRate);

    EXPECT_FALSE(chain->setBandGainDb(2, 3.0f)) << "only two bands";
    EXPECT_FALSE(chain->setEffectParameter(2, 1.0f));
    EXPECT_TRUE(chain->setBandGainDb(1, -12.0f));
    EXPECT_TRUE(chain->setEffectParameter(1, 100.0f));  // Echo: both delays to 100 ms

    StereoBuffer tone = stereoSine(66150, 4000.0, kRate, 0.2f);
    processInBlocks(tone, 512, [&](float* b, int n) { chain->process(b, n); });
    // Once the echo has glided from 500 to 100 ms (400 whole periods of the tone), its
    // repeat (0.5 x) adds in phase to the tone, both at the cut band's level.
    EXPECT_NEAR(toneLevelDb(tone, 0, 44100, 4410, 4000.0, kRate) - 20.0 * std::log10(0.2),
                -12.0 + 20.0 * std::log10(1.5), 0.5);

    StereoBuffer impulse = stereoSilence(8820);
    chain->reset();
    chain->setBandGainDb(1, 0.0f);
    StereoBuffer settle = stereoSilence(4410);
    chain->process(settle.data(), 4410);
    impulse[0] = impulse[1] = 0.5f;
    chain->process(impulse.data(), 8820);
    EXPECT_GT(std::fabs(impulse[2 * 4410]) + std::fabs(impulse[2 * 4410 + 2]), 0.1) << "left repeat at 100 ms";
    EXPECT_GT(std::fabs(impulse[2 * 4410 + 1]) + std::fabs(impulse[2 * 4410 + 3]), 0.1) << "right repeat at 100 ms";

    DeckChainLayout eqOnly = layout;
    eqOnly.effect = EffectKind::None;
    EXPECT_FALSE(DeckEffectChain::build(eqOnly, kRate)->setEffectParameter(0, 1.0f)) << "no effect stage";
}

TEST(DeckEffectChainTest, GargleWaveBelowOneIsSquare) {
    for (const float wave : {0.999f, 1.0f}) {
        DeckChainLayout layout;
        layout.effect = EffectKind::Gargle;
        layout.effectParameters = {10.0f, wave};
        auto chain = DeckEffectChain::build(layout, kRate);
        StereoBuffer constant(2 * 44100, 0.5f);
        chain->process(constant.data(), 44100);
        int between = 0;
        for (float s : constant) between += (s > 0.05f && s < 0.45f) ? 1 : 0;
        if (wave < 1.0f) {
            EXPECT_EQ(between, 0) << "square: on or off";
        } else {
            EXPECT_GT(between, 60000) << "triangle: passes through every level";
        }
    }
}

TEST(EqualizerBandMappingTest, SliderPositionsGiveFactorsAndDecibels) {
    EXPECT_FLOAT_EQ(bandGainFactorFromSlider(850), 1.15f);
    EXPECT_FLOAT_EQ(bandGainFactorFromSlider(1000), 1.0f);
    EXPECT_FLOAT_EQ(bandGainFactorFromSlider(1150), 0.85f);
    EXPECT_FLOAT_EQ(bandGainDbFromSlider(850), 15.0f);
    EXPECT_FLOAT_EQ(bandGainDbFromSlider(1000), 0.0f);
    EXPECT_FLOAT_EQ(bandGainDbFromSlider(1150), -15.0f);
    EXPECT_FLOAT_EQ(bandGainDbFromSlider(999), 0.1f);
    EXPECT_FLOAT_EQ(bandGainDbFromSlider(700), 15.0f) << "beyond the travel";
    for (int p = 850; p <= 1150; p += 7)
        EXPECT_NEAR(equalizerBandGainDb(bandGainFactorFromSlider(p)), bandGainDbFromSlider(p), 1e-3) << p;
}

TEST(EqualizerBandMappingTest, CentreCaptionsRoundAndBlankUnusedBands) {
    EXPECT_EQ(bandCentreText(749.6), "750 Hz");
    EXPECT_EQ(bandCentreText(118.4), "118 Hz");
    EXPECT_EQ(bandCentreText(12000.0), "12000 Hz");
    const auto two = bandCentreTexts(2, {375.0, 12000.0, 1.0, 2.0, 3.0});
    EXPECT_EQ(two[0], "375 Hz");
    EXPECT_EQ(two[1], "12000 Hz");
    EXPECT_EQ(two[2], "");
    EXPECT_EQ(two[4], "");
    const auto five = bandCentreTexts(5, {46.875, 187.5, 750.0, 3000.0, 12000.0});
    EXPECT_EQ(five[0], "47 Hz");
    EXPECT_EQ(five[4], "12000 Hz");
}

TEST(DeckEffectChainThreadTest, WindowThreadChangesWhileTheAudioThreadProcesses) {
    DeckChainLayout layout;
    layout.equalizerBandCount = 5;
    for (int b = 0; b < 5; ++b) layout.bands[b] = {100.0f * (b + 1), 24.0f, 0.0f};
    layout.effect = EffectKind::Flanger;
    layout.effectParameters = {-50.0f, 2.0f};
    auto chain = DeckEffectChain::build(layout, kRate);

    std::atomic<bool> audioDone{false};
    StereoBuffer signal = stereoNoise(2 * 44100, 8, 0.5f);
    std::thread audio([&] {
        processInBlocks(signal, 256, [&](float* b, int n) { chain->process(b, n); });
        audioDone.store(true);
    });
    int change = 0;
    while (!audioDone.load()) {
        chain->setBandGainDb(change % 5, (change % 2) ? 15.0f : -15.0f);
        chain->setEffectParameter(change % 2, (change % 3) ? 99.0f : -99.0f);
        ++change;
        std::this_thread::yield();
    }
    audio.join();
    EXPECT_TRUE(allFinite(signal));
    EXPECT_LT(peakMagnitude(signal), 100.0) << "bounded while every stage is being changed";
}

// The chain runs its bands in one pass and leaves flat ones out; band by band, each on the
// whole block, gives the same output, through glides to and from 0 dB.
TEST(DeckEffectChainTest, OnePassEqualizerMatchesBandByBand) {
    DeckChainLayout layout;
    layout.equalizerBandCount = 5;
    const float gains[5] = {0.0f, 6.0f, -4.0f, 0.0f, 3.0f};
    const float centres[5] = {80.0f, 187.5f, 750.0f, 3000.0f, 12000.0f};
    std::array<ParametricEq, 5> reference;
    for (int b = 0; b < 5; ++b) {
        layout.bands[b] = {centres[b], 24.0f, gains[b]};
        reference[b] = ParametricEq(centres[b], 24.0f, gains[b]);
        reference[b].prepare(kRate);
    }
    auto chain = DeckEffectChain::build(layout, kRate);
    StereoBuffer viaChain = stereoNoise(44100, 9, 0.3f), bandByBand = viaChain;
    const int block = 300;
    for (int start = 0, index = 0; start < 44100; start += block, ++index) {
        auto setGain = [&](int band, float db) {
            chain->setBandGainDb(band, db);
            reference[band].setGainDb(db);
        };
        if (index == 20) setGain(1, 0.0f), setGain(0, 5.0f);
        if (index == 70) setGain(0, 0.0f), setGain(3, -2.0f);
        const int n = std::min(block, 44100 - start);
        chain->process(viaChain.data() + 2 * start, n);
        for (auto& band : reference) band.process(bandByBand.data() + 2 * start, n);
    }
    for (std::size_t i = 0; i < viaChain.size(); ++i) ASSERT_NEAR(viaChain[i], bandByBand[i], 1e-6f) << i;
}

TEST(DeckEffectChainTest, BandGlidingToZeroDecibelsDropsOutAndComesBack) {
    ParametricEq band(1000.0f, 12.0f, 6.0f);
    band.prepare(kRate);
    StereoBuffer noise = stereoNoise(8820, 5, 0.3f), work = noise;
    band.process(work.data(), 4410);
    EXPECT_FALSE(band.bypassed());
    band.setGainDb(0.0f);
    band.process(work.data() + 8820, 4410);  // the glide, then the ringing dies away
    EXPECT_TRUE(band.bypassed());
    StereoBuffer flat = noise;
    band.process(flat.data(), 4410);
    for (std::size_t i = 0; i < 8820; ++i) ASSERT_EQ(flat[i], noise[i]);
    band.setGainDb(-6.0f);
    EXPECT_FALSE(band.bypassed());
    band.process(flat.data(), 4410);
    EXPECT_NE(flat[8000], noise[8000]);
}
