// The sound output's effect operations: which chain each buffer carries after each
// operation, the values reaching the effect, and the status codes.
#include <gtest/gtest.h>

#include "engine/zan_mix_output.h"
#include "support/effect_output_fixture.h"
#include "support/sound_signals.h"

using namespace quillmix;
using namespace quillmix::test;

namespace {
class EffectOperationsTest : public EffectOutputFixture {};
}  // namespace

TEST_F(EffectOperationsTest, EqualiserBandsComeBeforeTheEffectOnTheForwardBufferOnly) {
    EXPECT_EQ(output.effectName(0), "No Effect");
    EXPECT_EQ(forwardChain(), nullptr);
    EXPECT_EQ(backwardChain(), nullptr);

    parameters = {40.0f, 300.0f};
    ASSERT_EQ(output.SetEffect(0, "Echo"), kSoundOk);
    ASSERT_NE(forwardChain(), nullptr);
    EXPECT_EQ(forwardChain()->equalizerBandCount(), 0);
    EXPECT_EQ(forwardChain()->effect(), EffectKind::Echo);
    EXPECT_EQ(backwardChain()->effect(), EffectKind::Echo);
    EXPECT_EQ(output.effectParameter(0, 1), 300.0f);

    ASSERT_EQ(output.EqualizerOn(0), kSoundOk);
    EXPECT_TRUE(output.effectChainActive(0));
    EXPECT_EQ(forwardChain()->equalizerBandCount(), 3);
    EXPECT_EQ(forwardChain()->effect(), EffectKind::Echo);
    EXPECT_EQ(backwardChain()->equalizerBandCount(), 0);

    // Changing the effect with the equaliser on: n bands, then the new effect; the backward
    // buffer gets the new effect too.
    bank.Design(5);
    ASSERT_EQ(output.SetEffect(0, "Reverb"), kSoundOk);
    EXPECT_EQ(forwardChain()->equalizerBandCount(), 5);
    EXPECT_EQ(forwardChain()->effect(), EffectKind::Reverb);
    EXPECT_EQ(backwardChain()->effect(), EffectKind::Reverb);

    // Effect off leaves the equaliser alone; then equaliser off leaves nothing.
    parameters = {1.0f, 2.0f};
    ASSERT_EQ(output.SetEffect(0, "No Effect"), kSoundOk);
    EXPECT_EQ(forwardChain()->equalizerBandCount(), 5);
    EXPECT_EQ(forwardChain()->effect(), EffectKind::None);
    EXPECT_EQ(backwardChain(), nullptr);
    EXPECT_EQ(output.effectName(0), "No Effect");
    ASSERT_EQ(output.EqualizerOff(0), kSoundOk);
    EXPECT_FALSE(output.effectChainActive(0));
    EXPECT_EQ(forwardChain(), nullptr);

    // Equaliser off with an effect keeps the effect alone.
    ASSERT_EQ(output.SetEffect(0, "Flanger"), kSoundOk);
    ASSERT_EQ(output.EqualizerOn(0), kSoundOk);
    ASSERT_EQ(output.EqualizerOff(0), kSoundOk);
    EXPECT_EQ(forwardChain()->equalizerBandCount(), 0);
    EXPECT_EQ(forwardChain()->effect(), EffectKind::Flanger);
}

TEST_F(EffectOperationsTest, NoEffectKeepsTheStoredValuesAndParametersReachBothBuffers) {
    parameters = {70.0f, 250.0f};
    output.SetEffect(0, "Echo");
    parameters = {10.0f, 20.0f};  // the panel moved on; nothing applied yet
    ASSERT_EQ(output.SetEffect(0, "No Effect"), kSoundOk);
    EXPECT_EQ(output.SetEffectParameter(0, 0), kSoundOk);  // stored, no effect to reach
    EXPECT_EQ(output.effectParameter(0, 0), 10.0f);
    EXPECT_EQ(output.effectParameter(0, 1), 20.0f);

    // Without an inputs table the deck keeps what it had.
    output.SetDeckEffectInputs(0, {&bank, nullptr});
    ASSERT_EQ(output.SetEffect(0, "Gargle"), kSoundOk);
    EXPECT_EQ(output.effectParameter(0, 0), 10.0f);
    EXPECT_EQ(output.SetEffectParameter(0, 1), kSoundOk);
    EXPECT_EQ(output.SetEffectParameter(0, 2), kSoundUnexpected);
    EXPECT_EQ(output.SetEffectParameter(0, -1), kSoundUnexpected);

    // A buffer that lost its chain behind the object's back answers "nothing to work on".
    output.ForwardBuffer(0)->swapEffectChain(nullptr);
    EXPECT_EQ(output.SetEffectParameter(0, 0), kSoundUnexpected);
}

TEST_F(EffectOperationsTest, BandGainNeedsAValidBandAndTheEqualiserOn) {
    bank.SetBandGain(1, 1.15f);
    EXPECT_EQ(output.SetEqualizerBandGain(0, 1), kSoundNotInitialized);  // equaliser off
    EXPECT_EQ(output.SetEqualizerBandGain(0, 3), kSoundUnexpected);      // 3 bands: 0..2
    EXPECT_EQ(output.SetEqualizerBandGain(0, -1), kSoundUnexpected);
    output.EqualizerOn(0);
    EXPECT_EQ(output.SetEqualizerBandGain(0, 1), kSoundOk);
    EXPECT_EQ(output.SetEqualizerBandGain(0, 3), kSoundUnexpected);
    bank.Design(5);  // more bands than the running chain has, until it is rebuilt
    EXPECT_EQ(output.SetEqualizerBandGain(0, 4), kSoundUnexpected);
    output.EqualizerOn(0);
    EXPECT_EQ(output.SetEqualizerBandGain(0, 4), kSoundOk);
}

TEST_F(EffectOperationsTest, NewBuffersTakeUpTheDecksEffectAndEqualiser) {
    output.SetEffect(0, "Chorus");
    output.EqualizerOn(0);
    ASSERT_EQ(output.CreateDeckBuffers(0, 44100, true, true), kSoundOk);
    ASSERT_NE(forwardChain(), nullptr);
    EXPECT_EQ(forwardChain()->equalizerBandCount(), 3);
    EXPECT_EQ(forwardChain()->effect(), EffectKind::Chorus);
    EXPECT_EQ(backwardChain()->effect(), EffectKind::Chorus);
    EXPECT_EQ(output.effectName(0), "Chorus");

    // A new device for the same output object: the settings stay and come back with the
    // next buffers.
    ASSERT_EQ(output.CreateDevice("stepped:quad", false, false), kSoundOk);
    ASSERT_EQ(output.CreateDeckBuffers(0, 44100, false, true), kSoundOk);
    EXPECT_EQ(forwardChain()->effect(), EffectKind::Chorus);
}

TEST_F(EffectOperationsTest, SplitDevicesAndMissingBuffersRefuseEffects) {
    EXPECT_EQ(output.SetEffect(1, "Echo"), kSoundNotInitialized);  // deck 1 has no buffers
    EXPECT_EQ(output.EqualizerOn(1), kSoundNotInitialized);
    EXPECT_EQ(output.EqualizerOff(1), kSoundNotInitialized);
    EXPECT_EQ(output.SetEffectParameter(1, 0), kSoundNotInitialized);

    CZanSoundOutput half(*system);
    ASSERT_EQ(half.CreateDevice("stepped:quad", true, true), kSoundOk);
    half.SetDeckEffectInputs(0, {&bank, &parameters});
    ASSERT_EQ(half.CreateDeckBuffers(0, 44100, false, true), kSoundOk);
    EXPECT_EQ(half.SetEffect(0, "Echo"), kSoundUnexpected);
    EXPECT_EQ(half.effectName(0), "No Effect");
    EXPECT_EQ(half.EqualizerOn(0), kSoundUnexpected);
    EXPECT_FALSE(half.effectChainActive(0));
    EXPECT_EQ(half.SetEffectParameter(0, 0), kSoundUnexpected);
    EXPECT_EQ(half.SetEqualizerBandGain(0, 0), kSoundNotInitialized);
    EXPECT_EQ(half.EqualizerOff(0), kSoundOk);
    EXPECT_EQ(half.ForwardBuffer(0)->effectChain(), nullptr);
    EXPECT_EQ(half.BackwardBuffer(0)->effectChain(), nullptr);
}

TEST(EffectMixOutputTest, OutputsForwardTheOperationsAndKeepThemAcrossADeviceChange) {
    createSharedEvents();
    auto system = soundSteppedSystem();
    CZanFilterBank bank;
    bank.Design(2);
    std::array<float, 2> parameters{50.0f, 500.0f};
    CZanMixOutput mix(*system);
    mix.SetDeckEffectInputs(1, {&bank, &parameters});
    EXPECT_EQ(mix.SetEffect(1, "Echo"), kSoundOk);  // closed: nothing to do
    mix.OpenDevice("stepped:stereo", "Stereo Card");
    mix.CreateDeckBuffers(1, 44100, false, true);
    EXPECT_EQ(mix.SetEffect(1, "Reverb"), kSoundOk);
    EXPECT_EQ(mix.EqualizerOn(1), kSoundOk);
    EXPECT_EQ(mix.SetEqualizerBandGain(1, 1), kSoundOk);
    EXPECT_EQ(mix.SetEffectParameter(1, 0), kSoundOk);

    mix.OpenDevice("stepped:quad", "Quad Card");
    mix.CreateDeckBuffers(1, 44100, false, true);
    auto* chain = dynamic_cast<DeckEffectChain*>(mix.output->ForwardBuffer(1)->effectChain());
    ASSERT_NE(chain, nullptr);
    EXPECT_EQ(chain->equalizerBandCount(), 2);
    EXPECT_EQ(chain->effect(), EffectKind::Reverb);
    EXPECT_EQ(mix.EqualizerOff(1), kSoundOk);
}
