// The mixer panel on hand-stepped devices: what its controls do to the outputs as rendered,
// the refresh requests that move them, fader cueing on real decks, and the options dialog
// driven through its controls.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include <cmath>

#include "app/message_catalogue.h"
#include "app/settings_store.h"
#include "app/shared_state.h"
#include "deck/deck.h"
#include "engine/mixer_engine.h"
#include "engine/zan_device_list.h"
#include "engine/zan_mixer.h"
#include "support/sources_fixtures.h"
#include "support/temp_dir.h"
#include "ui/analyzer_panel.h"
#include "ui/deck_panel.h"
#include "ui/effects_panel.h"
#include "ui/equalizer_panel.h"
#include "ui/fake_dialogs.h"
#include "ui/mixer_panel.h"
#include "ui/options_dialog.h"
#include "ui/play_list_panel.h"
#include "ui/shell_rig.h"
#include "ui/widget_test_support.h"
#include "ui/widgets/zan_fader_controls.h"

using namespace quillmix;

namespace {

class MixerPanelTest : public ::testing::Test, public test::ShellRig {
protected:
    void SetUp() override {
        deckColor = {0x00FFABCD, 0x00ABCDFF};
        mixer = std::make_unique<CZanMixer>(mixerServices(&settings));
        panel = std::make_unique<MixerPanel>(nullptr, *mixer);
        panel->setOptionsServices(&lists, &settings, sound.get());
        mixer->engine().OpenOutputs("stepped:stereo", "Stereo Card (Can't Split)", "stepped:quad",
                                    "Quad Card (Can Split)");
        panel->onRefresh(UWM_SHOW_MAIN_LEVEL, 0);  // what the main window does on the engine's post
    }
    void TearDown() override {
        panel.reset();
        mixer->destroyOwned();
    }

    template <typename T = QSlider>
    T* control(int id) {
        return test::control<T>(*panel, id);
    }
    CZanMixState& mix() { return mixer->engine().mix(); }

    // Deck `deck` alone plays a constant full-scale signal on the main output, on buffers made
    // as a track load makes them (taking up the deck's pan); returns each channel's peak.
    std::array<int, 2> renderDeckAlone(int deck) {
        CZanSoundOutput& out = *mix().mainOutput.output;
        for (int d = 0; d < 2; ++d) {
            out.CreateDeckBuffers(d, 44100, false, false);
            mixer->engine().cycle().afterBuffersCreated(d);
        }
        mix().ApplyLevels();
        std::vector<std::int16_t> chunk(CZanSoundOutput::kChunkSize / 2, 16000);
        for (int i = 0; i < 4; ++i) out.WriteForwardChunk(deck, chunk.data());
        out.ForwardBuffer(deck)->play();
        const auto rendered = stepSoundDevice(*out.Device(), 4096);
        out.ForwardBuffer(deck)->stop();
        return {test::loudest(rendered, 2048 * 2, 2), test::loudest(rendered, 2048 * 2 + 1, 2)};
    }

    test::TempDir dir;
    SettingsStore settings{dir.file("Quillmix.conf")};
    CZanSoundDeviceLists lists;
    std::unique_ptr<CZanMixer> mixer;
    std::unique_ptr<MixerPanel> panel;
};

}  // namespace

TEST_F(MixerPanelTest, LeftRightPansTheDecksOnTheRenderedMainChannels) {
    control<QPushButton>(1112)->click();
    EXPECT_EQ(control(1108)->value(), -100);
    EXPECT_EQ(control(1110)->value(), 100);
    control(1043)->setValue(0);  // both decks audible
    const auto a = renderDeckAlone(0);
    const auto b = renderDeckAlone(1);
    EXPECT_GT(a[0], 100);
    EXPECT_LT(a[1], a[0] / 100);
    EXPECT_LT(b[0], b[1] / 100);
    control<QPushButton>(1079)->click();
    const auto centred = renderDeckAlone(0);
    EXPECT_GT(centred[1], 100);
    EXPECT_NEAR(centred[0], centred[1], 2);
}

// The faders and the monitor volume call the engine's setters, whose effect on each output
// is checked on the mix state and heard end to end; here, which control moves which value.
TEST_F(MixerPanelTest, CrossFadersAndMonitorVolumeMoveTheirOwnValues) {
    control(1043)->setValue(-1000);
    control(1044)->setValue(500);
    EXPECT_DOUBLE_EQ(mix().mainCrossFader.value, -1.0);
    EXPECT_DOUBLE_EQ(mix().monitorCrossFader.value, 0.5);
    ASSERT_TRUE(control(1027)->isEnabled());  // the monitor has a device of its own
    control(1027)->setValue(MixerPanel::kLevelRange / 4);
    EXPECT_NEAR(mix().monitorVolume.value, 0.75, 1e-4);

    // Both outputs on halves of one device: the Monitor slider is disabled.
    mixer->engine().OpenOutputs("stepped:quad", "Quad Card (Front)", "stepped:quad", "Quad Card (Rear)");
    panel->onRefresh(UWM_SHOW_MAIN_LEVEL, 0);
    EXPECT_FALSE(control(1027)->isEnabled());
}

TEST_F(MixerPanelTest, LevelSliderTopIsFullAndARefreshMovesTheSliderAndTheOutput) {
    control(1043)->setValue(0);
    control(1021)->setValue(0);
    EXPECT_DOUBLE_EQ(mix().levelDeck[0].value, 1.0);
    control(1021)->setValue(MixerPanel::kLevelRange);
    EXPECT_DOUBLE_EQ(mix().levelDeck[0].value, 0.0);
    EXPECT_EQ(renderDeckAlone(0)[0], 0);

    // The keyboard changes the value and asks for it to be shown; the slider applies it.
    mix().levelDeck[0].Set(0.5);
    panel->onRefresh(UWM_SHOW_DECK_LEVEL, 0);  // as the main window routes it
    EXPECT_EQ(control(1021)->value(), MixerPanel::kLevelRange - static_cast<int>(0.5 * MixerPanel::kLevelRange));
    const auto half = renderDeckAlone(0)[0];
    mix().levelDeck[0].Set(1.0);
    panel->onRefresh(UWM_SHOW_DECK_LEVEL, 0);
    const auto full = renderDeckAlone(0)[0];
    EXPECT_GT(half, 0);
    EXPECT_LT(half, full);
}

TEST_F(MixerPanelTest, FaderCueingStartsEachDeckOnceAsTheFaderCrosses) {
    test::sourcesWriteWav16(dir.file("t.wav"), test::sourcesSilence(44100 * 20, 2), 2, 44100);
    for (int d = 0; d < 2; ++d) ASSERT_TRUE(mixer->deck(d)->LoadTrack(dir.file("t.wav").string()));
    auto* fader = control<CZanCrossFaderCtrl>(1043);
    fader->setValue(-500);
    control(1091)->setValue(200);
    EXPECT_DOUBLE_EQ(fader->cueMark(), 0.2);
    control<QCheckBox>(1048)->setChecked(true);
    // Which decks play once the fader's timer has ticked.
    auto playing = [&] {
        QTest::qWait(3 * CZanCrossFaderCtrl::kTimerIntervalMs);
        return std::pair{mixer->deck(0)->IsPlaying(), mixer->deck(1)->IsPlaying()};
    };
    EXPECT_EQ(playing(), std::pair(false, false));  // resting starts nothing
    fader->setValue(600);
    EXPECT_EQ(playing(), std::pair(false, true));
    mixer->deck(1)->PlayPause(true);
    fader->setValue(-600);
    EXPECT_EQ(playing(), std::pair(true, false));
    control<QCheckBox>(1048)->setChecked(false);
    EXPECT_FALSE(fader->faderCueing());
    mixer->deck(0)->PlayPause(true);
}

TEST_F(MixerPanelTest, OptionsDialogShowsTheStoredSplitAndItsControlsKeepTheRules) {
    settings.setSoundDeviceMain("Quad Card (Rear)");
    OptionsDialog dialog(panel.get(), lists, *sound, &settings);
    EXPECT_EQ(dialog.windowTitle(), "Quillmix Options");
    auto* mainList = dialog.findChild<QComboBox*>("1027");
    auto* monitorList = dialog.findChild<QComboBox*>("1029");
    ASSERT_TRUE(mainList && monitorList);
    EXPECT_EQ(mainList->currentText(), "Quad Card (Rear)");
    EXPECT_EQ(monitorList->currentText(), "Quad Card (Front)");
    EXPECT_EQ(mainList->itemText(0), kNoSoundDeviceText);
    EXPECT_NE(mainList->findText("Stereo Card (Can't Split)"), -1);

    dialog.findChild<QPushButton*>("1041")->click();  // Join, monitor first
    EXPECT_EQ(monitorList->currentText(), "Quad Card (Can Split)");
    EXPECT_EQ(mainList->currentIndex(), 0);
    mainList->setCurrentIndex(mainList->findText("Quad Card (Can Split)"));  // what the monitor holds
    EXPECT_EQ(monitorList->currentIndex(), 0);
    EXPECT_EQ(dialog.lists().monitorList.selected, 0);

    auto* red = dialog.findChild<QSlider*>("1039");
    EXPECT_EQ(red->value(), 0xCD);
    red->setValue(17);
    EXPECT_EQ(dialog.findChild<QLabel*>("1121")->text(), "17");
    EXPECT_EQ(dialog.findChild<CZanColorSquare*>("1122")->color(), QColor(17, 0xAB, 0xFF));
}

TEST_F(MixerPanelTest, OptionsCancelChangesNothingAndOkStoresReopensAndUnloads) {
    test::sourcesWriteWav16(dir.file("t.wav"), test::sourcesSilence(44100 * 2, 2), 2, 44100);
    for (int d = 0; d < 2; ++d) ASSERT_TRUE(mixer->deck(d)->LoadTrack(dir.file("t.wav").string()));
    lists.Refresh(*sound, "", "");
    lists.Confirm();
    const std::string mainBefore = lists.GetMainDeviceGuid();
    CZanSoundOutput* outputBefore = mix().mainOutput.output.get();
    auto changeEverything = [](OptionsDialog& dialog) {
        dialog.findChild<QSlider*>("1046")->setValue(1);
        auto* mainList = dialog.findChild<QComboBox*>("1027");
        mainList->setCurrentIndex(mainList->findText("Stereo Card (Can't Split)"));
    };
    panel->runOptionsDialog = [&](OptionsDialog& dialog) {
        changeEverything(dialog);
        return false;
    };
    control<QPushButton>(1101)->click();
    EXPECT_EQ(deckColor[1], 0x00ABCDFFu);
    EXPECT_EQ(lists.GetMainDeviceGuid(), mainBefore);
    EXPECT_EQ(settings.getSoundDeviceMain(), "");
    EXPECT_EQ(mix().mainOutput.output.get(), outputBefore);
    EXPECT_TRUE(mixer->deck(0)->IsLoaded());

    // OK with nothing changed still unloads both decks, switches their equalisers and
    // effects off and reopens the outputs.
    panel->equalizer(0)->findChild<QAbstractButton*>("1101")->setChecked(true);
    panel->effects(1)->findChild<QAbstractButton*>("1094")->setChecked(true);
    ASSERT_TRUE(panel->equalizer(0)->isOn() && panel->effects(1)->isOn());
    panel->runOptionsDialog = [](OptionsDialog& dialog) {
        dialog.accept();
        return dialog.result() == QDialog::Accepted;
    };
    control<QPushButton>(1101)->click();
    for (int d = 0; d < 2; ++d) EXPECT_FALSE(mixer->deck(d)->IsLoaded()) << d;
    EXPECT_FALSE(panel->equalizer(0)->isOn());
    EXPECT_FALSE(panel->effects(1)->isOn());
    EXPECT_NE(mix().mainOutput.output.get(), outputBefore);

    panel->runOptionsDialog = [&](OptionsDialog& dialog) {
        changeEverything(dialog);
        dialog.accept();
        return true;
    };
    control<QPushButton>(1101)->click();
    EXPECT_EQ(deckColor[1], 0x00ABCD01u);
    EXPECT_EQ(settings.getColor(1), 0x00ABCD01u);
    EXPECT_EQ(settings.getSoundDeviceMain(), "Stereo Card (Can't Split)");
    EXPECT_EQ(lists.GetMainDeviceGuid(), "stepped:stereo");
    EXPECT_EQ(mix().mainOutput.output->Device()->channels(), 2);
}

TEST_F(MixerPanelTest, ExitQuestionGoesThroughTheDialogSeam) {
    test::FakeDialogs dialogs;
    dialogs.okCancel = {false};
    panel->show();
    panel->close();
    EXPECT_EQ(dialogs.asked, (std::vector<std::string>{"Quillmix: Are you sure you want to exit?"}));
    EXPECT_TRUE(panel->isVisible());
}

// (The meters repaint only on a change of level by their own rule, checked on the control.)
TEST_F(MixerPanelTest, CurveGraphRefreshRepaintsOnlyWhenTheCurveChanged) {
    panel->show();
    QTest::qWait(20);
    test::PaintCounter graph(*control<QWidget>(1086));
    panel->onRefresh(UWM_REFRESH_CROSS_FADE_CURVE_GRAPH, 0);
    QTest::qWait(20);
    EXPECT_EQ(graph.paints, 0);
    control(1015)->setValue(-1000);  // the curve changes: its graph is refreshed once drawn
    panel->onRefresh(UWM_REFRESH_CROSS_FADE_CURVE_GRAPH, 0);
    QTest::qWait(20);
    EXPECT_GE(graph.paints, 1);
}

TEST_F(MixerPanelTest, MinimisingHidesTheOtherPanelsAndMovingTakesTheDecksAlong) {
    mainWindowReady = 1;
    panel->show();
    for (int d = 0; d < 2; ++d) panel->deck(d)->show();
    panel->move(400, 100);
    QTest::qWait(20);
    EXPECT_EQ(panel->deck(1)->frameGeometry().left(), panel->frameGeometry().right() + 1);
    // Within the offscreen platform's frame margins, which it reports only once shown.
    EXPECT_NEAR(panel->deck(0)->frameGeometry().right() + 1, panel->frameGeometry().left(), 4);
    EXPECT_EQ(panel->deck(0)->frameGeometry().top(), panel->frameGeometry().top());
    panel->setWindowState(Qt::WindowMinimized);
    QTest::qWait(20);
    EXPECT_FALSE(panel->deck(0)->isVisible());
    EXPECT_FALSE(panel->playList()->isVisible());
    panel->setWindowState(Qt::WindowNoState);
    QTest::qWait(20);
    EXPECT_TRUE(panel->deck(1)->isVisible());
    EXPECT_TRUE(panel->analyzer()->isVisible());
    mainWindowReady = 0;
}
