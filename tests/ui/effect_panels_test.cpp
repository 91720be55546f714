// The equaliser and effects panels: their controls as the user sees them, and what their
// settings do to the sound a deck's buffer renders on a stepped device.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QSlider>

#include <algorithm>
#include <cmath>

#include "app/message_catalogue.h"
#include "dsp/filter_bank.h"
#include "engine/zan_mixer.h"
#include "sound/sound_device.h"
#include "support/message_recorder.h"
#include "support/sound_signals.h"
#include "ui/effects_panel.h"
#include "ui/equalizer_panel.h"
#include "ui/shell_rig.h"
#include "ui/widget_test_support.h"
#include "ui/widgets/zan_button_ctrl.h"

using namespace quillmix;
using namespace quillmix::test;

namespace {

// A mixer on hand-stepped devices: deck 0's buffers on the main output (a stereo stepped
// device, no monitor), its equaliser bank and effect values wired in, a signal written into
// the forward buffer and what the device renders read back. The mixer sets mixerWindow, so
// the panels' sends reach it as in the program.
struct PanelSoundRig : ShellRig {
    PanelSoundRig() {
        mixer = std::make_unique<CZanMixer>(mixerServices(nullptr, {&banks[0], &banks[1]}));
        mixer->engine().OpenOutputs("stepped:stereo", "Stereo Card", "", "");
    }
    CZanSoundOutput& output() { return *mixer->engine().mix().mainOutput.output; }
    // Fresh buffers for deck 0, made as a track load makes them, carrying `samples`
    // (interleaved stereo, whole chunks), playing at full gain from their start.
    void play(const std::vector<std::int16_t>& samples) {
        mixer->engine().mix().mainOutput.CreateDeckBuffers(0, 44100, false, true);
        mixer->engine().cycle().afterBuffersCreated(0);
        for (std::size_t at = 0; at + kChunkSamples <= samples.size(); at += kChunkSamples)
            output().WriteForwardChunk(0, samples.data() + at);
        output().SetDeckGain(0, 1.0);
        output().ForwardBuffer(0)->play();
    }
    // The left channel of the next `frames` frames, full scale 1.0.
    std::vector<double> render(int frames) {
        const auto out = stepSoundDevice(*output().Device(), frames);
        std::vector<double> left(static_cast<std::size_t>(frames));
        for (int n = 0; n < frames; ++n)
            left[static_cast<std::size_t>(n)] = out[2 * static_cast<std::size_t>(n)] / 32768.0;
        return left;
    }

    std::array<CZanFilterBank, 2> banks;
    std::unique_ptr<CZanMixer> mixer;
};

double levelDb(const std::vector<double>& x, double reference) { return 20 * std::log10(soundRms(x) / reference); }

// The refreshes a panel posts, and those that their handling posts in turn.
void settle() {
    for (int i = 0; i < 3; ++i) dispatchPendingMessages();
}

// Where the loudest sample after frame `from` lies.
int loudestAfter(const std::vector<double>& x, int from) {
    const auto it =
        std::max_element(x.begin() + from, x.end(), [](double a, double b) { return std::abs(a) < std::abs(b); });
    return static_cast<int>(it - x.begin());
}

}  // namespace

// Where the centres lie is the filter bank's design; the panel shows a centre for each band
// in use (the top one 12000 Hz) and none for the rest, and enables only the sliders in use.
TEST(EqualizerPanelTest, BandCountShowsTheCentresAndEnablesOnlyTheBandsInUse) {
    PanelSoundRig rig;
    EqualizerPanel panel(nullptr, rig.mixer->engine(), 0);
    EXPECT_TRUE(control<QRadioButton>(panel, 1026)->isChecked());  // three bands at first
    for (const auto& [radio, bands] : {std::pair{1026, 3}, {1025, 2}, {1027, 5}}) {
        if (!control<QRadioButton>(panel, radio)->isChecked()) control<QRadioButton>(panel, radio)->click();
        for (int b = 0; b < 5; ++b) {
            EXPECT_EQ(control<QLabel>(panel, 1033 + b)->text().isEmpty(), b >= bands) << bands << " bands, " << b;
            EXPECT_EQ(control<QSlider>(panel, 1028 + b)->isEnabled(), b < bands) << bands << " bands, " << b;
        }
        EXPECT_EQ(control<QLabel>(panel, 1032 + bands)->text(), "12000 Hz");
    }
}

// A sine at the centre of band 3 of 5 (750 Hz): the band's slider at its top raises it by
// 15 dB, but only once the equaliser is on; a band-count change while on is heard at once.
// (The slider's whole travel in decibels is the band mapping's own test.)
TEST(EqualizerPanelTest, BandSliderRaisesItsBandOnceOn) {
    PanelSoundRig rig;
    EqualizerPanel panel(nullptr, rig.mixer->engine(), 0);
    control<QRadioButton>(panel, 1027)->click();
    const double amplitude = 0.1;
    rig.play(soundSine(110 * kChunkFrames, 750.0, 44100.0, amplitude * 32768));
    rig.render(4410);
    const double flat = amplitude / std::sqrt(2.0);
    QSlider* band3 = control<QSlider>(panel, 1030);
    band3->setValue(EqualizerPanel::kSliderTop);  // while off: nothing changes
    rig.render(8820);
    EXPECT_NEAR(levelDb(rig.render(4410), flat), 0.0, 0.3);

    control<CZanButtonCtrl>(panel, 1101)->click();  // on: the gain set while off applies
    EXPECT_EQ(control<CZanButtonCtrl>(panel, 1101)->text(), "Off");
    rig.render(8820);
    EXPECT_NEAR(levelDb(rig.render(4410), flat), 15.0, 1.0);

    // Three bands: 750 Hz now lies between the flat bands 1 and 2; band 3 (12000 Hz) keeps
    // its boost, far above the sine.
    control<QRadioButton>(panel, 1026)->click();
    rig.render(8820);
    EXPECT_LT(levelDb(rig.render(4410), flat), 6.0);
    control<CZanButtonCtrl>(panel, 1101)->click();
    EXPECT_EQ(control<CZanButtonCtrl>(panel, 1101)->text(), "On");
}

TEST(EffectValueTextTest, ValuesReadInTheEffectsUnitAndStep) {
    auto text = [](EffectKind kind, double value) { return effectValueText(describeEffect(kind), value); };
    EXPECT_EQ(text(EffectKind::Chorus, 25.0), "25.0%");  // on a step: not one step less
    EXPECT_EQ(text(EffectKind::Chorus, 1.1), "1.1%");
    EXPECT_EQ(text(EffectKind::Echo, 498.758), "498.7%");  // truncated to 0.01, shown to 0.1
    EXPECT_EQ(text(EffectKind::Distortion, -18.0), "-18.0 dB");
    EXPECT_EQ(text(EffectKind::Gargle, 20.9), "20.0 Hz");
    EXPECT_EQ(text(EffectKind::Reverb, 1000.0), "1.0s");  // the length in seconds
    EXPECT_EQ(text(EffectKind::None, 3.0), "--");
}

// Echo on an impulse: the repeat comes at the default 500 ms, also when switched on before
// the deck had buffers, and at 2000 ms with the delay slider at its top; "No Effect" passes
// the sound sample for sample.
TEST(EffectsPanelTest, EchoRepeatsAtItsDelayAndNoEffectPassesTheSound) {
    PanelSoundRig rig;
    EffectsPanel panel(nullptr, rig.mixer->engine(), 0);
    MessageRecorder mainWindow(&mainDialogWindow);  // hands the panel's refresh requests back to it
    mainWindow.reply = [&](unsigned message, int, LParam lParam) { panel.onRefresh(message, lParam); };
    QComboBox* list = control<QComboBox>(panel, 1037);
    QStringList names;
    for (int i = 0; i < list->count(); ++i) names << list->itemText(i);
    EXPECT_EQ(names,
              (QStringList{"No Effect", "Chorus", "Compressor", "Distortion", "Echo", "Flanger", "Gargle", "Reverb"}));
    EXPECT_EQ(list->currentText(), "No Effect");
    EXPECT_FALSE(control<QSlider>(panel, 1035)->isEnabled());

    std::vector<std::int16_t> impulse(48 * kChunkSamples, 0);
    impulse[200] = impulse[201] = 16000;            // frame 100
    control<CZanButtonCtrl>(panel, 1094)->click();  // before any track: no buffers yet
    list->setCurrentText("Echo");
    settle();
    EXPECT_EQ(control<QGroupBox>(panel, 1034)->title(), "feedback");
    EXPECT_EQ(control<QGroupBox>(panel, 1038)->title(), "delay");
    EXPECT_EQ(control<QLabel>(panel, 1036)->text(), "50.0%");
    EXPECT_EQ(control<QLabel>(panel, 1040)->text(), "500.0%");
    rig.play(impulse);
    EXPECT_NEAR(loudestAfter(rig.render(44100), 1000), 100 + 22050, 3);

    control<QSlider>(panel, 1039)->setValue(0);  // the top: the maximum
    settle();
    EXPECT_EQ(control<QLabel>(panel, 1040)->text(), "2000.0%");
    rig.play(impulse);
    EXPECT_NEAR(loudestAfter(rig.render(2 * 44100 + 4410), 1000), 100 + 88200, 3);

    list->setCurrentText("No Effect");
    settle();
    EXPECT_EQ(control<QLabel>(panel, 1036)->text(), "--");
    EXPECT_FALSE(control<QSlider>(panel, 1039)->isEnabled());
    const auto sine = soundSine(10 * kChunkFrames, 440.0, 44100.0, 8000);
    rig.play(sine);
    const auto heard = rig.render(4 * kChunkFrames);
    for (int n = 0; n < 4 * kChunkFrames; n += 97) ASSERT_EQ(heard[n] * 32768.0, sine[2 * n]) << n;
}
