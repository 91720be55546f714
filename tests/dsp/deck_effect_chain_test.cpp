// The deck effect chain and the band layout behind the sound output's effect operations.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

#include "dsp/deck_effect_chain.h"
#include "dsp/deck_effect_state.h"
#include "dsp/effect_parametric_eq.h"
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

// Which stage runs on which buffer, and the stored values, are checked through the sound
// output's operations; here, how the bank's bands become the chain's bands.
TEST(DeckEffectStateTest, ForwardLayoutMapsTheBankOntoBandsAndUnknownEffectsHaveNoStage) {
    DeckEffectState deck;
    EXPECT_TRUE(deck.forwardLayout(threeBands()).empty()) << "nothing until asked";
    deck.equalizerOn();
    const DeckChainLayout forward = deck.forwardLayout(threeBands());
    ASSERT_EQ(forward.equalizerBandCount, 3);
    EXPECT_FLOAT_EQ(forward.bands[0].bandwidthSemitones, 40.0f);
    EXPECT_FLOAT_EQ(forward.bands[0].centreHz, 80.0f) << "raised to 80 Hz";
    EXPECT_FLOAT_EQ(forward.bands[1].centreHz, 1191.0f);
    EXPECT_FLOAT_EQ(forward.bands[2].centreHz, 16000.0f) << "lowered to 16000 Hz";
    EXPECT_NEAR(forward.bands[0].gainDb, 10.0f, 1e-4);
    EXPECT_NEAR(forward.bands[1].gainDb, -10.0f, 1e-4);
    EXPECT_FLOAT_EQ(forward.bands[2].gainDb, 15.0f) << "clamped";

    deck.selectEffect("Wah");  // not an effect of ours: carried by name, no stage
    EXPECT_EQ(deck.effectName(), "Wah");
    EXPECT_TRUE(deck.backwardLayout().empty());
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

// The chain runs its bands in one pass, leaving flat ones out, then the effect: the bands
// one by one, each on the whole block, then the effect give the same output, through glides
// to and from 0 dB. Distortion is not linear, so the order of the stages shows.
TEST(DeckEffectChainTest, OnePassBandsThenTheEffectMatchTheStagesOneByOne) {
    DeckChainLayout layout;
    layout.equalizerBandCount = 5;
    layout.effect = EffectKind::Distortion;
    layout.effectParameters = {-6.0f, 60.0f};
    const float gains[5] = {0.0f, 6.0f, -4.0f, 0.0f, 3.0f};
    const float centres[5] = {80.0f, 187.5f, 750.0f, 3000.0f, 12000.0f};
    std::array<ParametricEq, 5> reference;
    for (int b = 0; b < 5; ++b) {
        layout.bands[b] = {centres[b], 24.0f, gains[b]};
        reference[b] = ParametricEq(centres[b], 24.0f, gains[b]);
        reference[b].prepare(kRate);
    }
    const auto distortion = preparedEffect(EffectKind::Distortion, {-6.0f, 60.0f});
    auto chain = DeckEffectChain::build(layout, kRate);
    ASSERT_NE(chain, nullptr);
    EXPECT_EQ(chain->equalizerBandCount(), 5);
    EXPECT_EQ(chain->effect(), EffectKind::Distortion);
    StereoBuffer viaChain = stereoNoise(44100, 9, 0.3f), byStage = viaChain;
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
        for (auto& band : reference) band.process(byStage.data() + 2 * start, n);
        distortion->process(byStage.data() + 2 * start, n);
    }
    for (std::size_t i = 0; i < viaChain.size(); ++i) ASSERT_NEAR(viaChain[i], byStage[i], 1e-6f) << i;
}
