// The keyboard shortcuts on the real main window, panels, decks and keyboard poll thread,
// the main output on a hand-stepped device. Keys are real Qt key events sent to the panels;
// the held-key state the poll thread reads is recorded from them.
#include <gtest/gtest.h>

#include <QDialog>
#include <QSlider>
#include <QTest>

#include <filesystem>

#include "app/keyboard_reader.h"
#include "app/message_catalogue.h"
#include "app/shared_state.h"
#include "deck/deck.h"
#include "support/message_recorder.h"
#include "support/sources_fixtures.h"
#include "support/temp_dir.h"
#include "ui/deck_panel.h"
#include "ui/equalizer_panel.h"
#include "ui/main_window.h"
#include "ui/mixer_panel.h"
#include "ui/play_list_panel.h"
#include "ui/shell_rig.h"
#include "ui/widgets/zan_button_ctrl.h"

using namespace quillmix;

namespace {

// One recorder for the whole program: it is an application event filter that lives as long
// as the application.
HeldKeys& recordedKeys() {
    static HeldKeys* keys = [] {
        auto* k = new HeldKeys;
        installHeldKeyRecorder(*k);
        return k;
    }();
    return *keys;
}

class KeyboardRig : public test::MainWindowRig {
public:
    KeyboardRig() : MainWindowRig(&recordedKeys()) {
        recordedKeys().releaseAll();
        keyboardShortcutsEnabled = 1;
    }
    ~KeyboardRig() { recordedKeys().releaseAll(); }

    MixerPanel& mixer() { return *dialog.mixerPanel(); }
    MixerEngine& engine() { return dialog.mixer()->engine(); }
    CZanDeck2& deck(int d) { return *dialog.mixer()->deck(d); }
    CZanButtonCtrl& button(int d, const char* id) { return *mixer().deck(d)->findChild<CZanButtonCtrl*>(id); }
    int slider(const char* id) { return mixer().findChild<QSlider*>(id)->value(); }
    // One poll's worth of a held key, as the poll thread sends it.
    void poll(char key, int times = 1) {
        for (int i = 0; i < times; ++i) sendMessage(mixerWindow, UWM_KEY_PRESSED, static_cast<WParam>(key));
    }
    void loadTrack(int d) {
        const auto file = dir.file("track.wav");
        if (!std::filesystem::exists(file))
            test::sourcesWriteWav16(file, test::sourcesSignal(44100 * 12, 2, 7), 2, 44100);
        ASSERT_TRUE(deck(d).LoadTrack(file.string()));
        ASSERT_TRUE(test::pumpUntil([&] { return button(d, "1004").isEnabled(); })) << "never buffered";
    }

    test::TempDir dir;
};

}  // namespace

TEST(KeyboardTest, HeldKeysStepTheirValueEachPollWithShiftAndCtrlAndApplyAtOnce) {
    KeyboardRig rig;
    CZanMixState& mix = rig.engine().mix();
    rig.engine().SetDeckLevel(0, 0.5);
    rig.poll('T', 10);
    EXPECT_NEAR(mix.levelDeck[0].value, 0.52, 1e-4);
    EXPECT_NEAR(rig.slider("1021"), 65535 * 0.48, 2);

    // Held through the poll thread: the level climbs to full and stays there.
    rig.engine().SetDeckLevel(0, 0.9);
    QTest::keyPress(&rig.mixer(), Qt::Key_T);
    EXPECT_TRUE(test::pumpUntil([&] { return mix.levelDeck[0].value == 1.0; }));
    QTest::keyRelease(&rig.mixer(), Qt::Key_T);
    EXPECT_EQ(rig.slider("1021"), 0);

    rig.engine().SetMainCrossFader(0.0);
    QTest::keyPress(&rig.mixer(), Qt::Key_Shift);
    rig.poll('B', 3);
    EXPECT_NEAR(mix.mainCrossFader.value, -0.3, 1e-9);
    EXPECT_EQ(rig.slider("1043"), -300);
    rig.poll('N', 30);
    EXPECT_EQ(mix.mainCrossFader.value, 1.0);

    // Ctrl: the monitor fader, applied to the monitor output at once.
    QTest::keyPress(&rig.mixer(), Qt::Key_Control);
    const double before = mix.monitorCrossFader.value;
    rig.poll('B', 5);
    EXPECT_NEAR(mix.monitorCrossFader.value, before - 0.5, 1e-9);
    const int index = CZanMixOutput::FaderIndex(mix.monitorCrossFader.value);
    EXPECT_EQ(mix.monitorOutput.appliedCurveGain[0], mix.monitorOutput.curveTable[0][index]);
    EXPECT_EQ(mix.mainCrossFader.value, 1.0);  // untouched
    QTest::keyRelease(&rig.mixer(), Qt::Key_Shift);
    QTest::keyRelease(&rig.mixer(), Qt::Key_Control);

    // A plain tempo step is finer than the tempo slider's unit, and still adds up.
    rig.poll('R', 4);
    EXPECT_NEAR(rig.deck(0).tempoPercent(), 0.02, 1e-9);
    rig.poll('J', 3);
    EXPECT_NEAR(rig.deck(1).tempoPercent(), -0.015, 1e-9);
    // The curve is shown and applied at once.
    rig.poll(0x24, 10);  // Home
    EXPECT_NEAR(mix.crossFadeCurve.value, 0.9, 1e-9);
    EXPECT_EQ(rig.slider("1015"), 900);
}

TEST(KeyboardTest, WindowKeysPlayJumpAndHoldTheDeckButtonsThatTheTipsName) {
    KeyboardRig rig;
    rig.loadTrack(0);
    DeckPanel& deckA = *rig.mixer().deck(0);
    QTest::keyClick(&deckA, Qt::Key_W);
    ASSERT_TRUE(test::pumpUntil([&] { return rig.deck(0).IsPlaying(); }));
    EXPECT_GT(test::loudest(rig.render(1.0)), 5000);

    // Shift+3 is still '3'.
    QTest::keyClick(rig.mixer().equalizer(1), Qt::Key_NumberSign, Qt::ShiftModifier);
    EXPECT_TRUE(test::pumpUntil([&] { return std::abs(rig.deck(0).positionFraction() - 0.4) < 0.02; }));

    // A: backward play while held, and the first equaliser value rises meanwhile.
    QSlider& band1 = *rig.mixer().equalizer(0)->findChild<QSlider*>("1028");
    ASSERT_TRUE(test::pumpUntil([&] { return rig.button(0, "1054").isEnabled(); }));
    QTest::keyPress(&deckA, Qt::Key_A);
    EXPECT_TRUE(rig.button(0, "1054").held());
    EXPECT_TRUE(test::pumpUntil([&] { return rig.deck(0).playingBackward() && band1.value() < 990; }));
    QTest::keyRelease(&deckA, Qt::Key_A);
    EXPECT_FALSE(rig.button(0, "1054").held());
    EXPECT_TRUE(test::pumpUntil([&] { return !rig.deck(0).playingBackward(); }));
    // A button held by a key lets go when the application loses the focus: its release
    // would go to another application.
    QTest::keyPress(&deckA, Qt::Key_F);
    EXPECT_TRUE(rig.button(0, "1052").held());
    emit qApp->applicationStateChanged(Qt::ApplicationInactive);
    EXPECT_FALSE(rig.button(0, "1052").held());
    QTest::keyRelease(&deckA, Qt::Key_F);

    QTest::keyClick(&deckA, Qt::Key_W);
    EXPECT_TRUE(test::pumpUntil([&] { return !rig.deck(0).IsPlaying(); }));
    rig.render(0.5);
    EXPECT_EQ(test::loudest(rig.render(0.5)), 0);

    // Deck B: each transport button is held by the key its tip names, and let go on release.
    rig.loadTrack(1);
    DeckPanel& deckB = *rig.mixer().deck(1);
    for (const char* id : {"1004", "1054", "1052", "1053"}) {
        CZanButtonCtrl& b = rig.button(1, id);
        const QString tip = b.toolTip();
        ASSERT_EQ(tip.size(), 3) << id;
        const auto key = static_cast<Qt::Key>(tip.at(1).unicode());
        QTest::keyPress(&deckB, key);
        EXPECT_TRUE(b.held()) << tip.toStdString();
        QTest::keyRelease(&deckB, key);
        EXPECT_FALSE(b.held()) << tip.toStdString();
        // P started the deck: Rev takes a press only while it plays, once enabled.
        EXPECT_TRUE(test::pumpUntil(
            [&] { return rig.deck(1).IsPlaying() && !rig.deck(1).Busy() && rig.button(1, "1054").isEnabled(); }));
    }
}

TEST(KeyboardTest, NoKeyActsWhileThePlayListOrADialogIsTheActiveWindow) {
    KeyboardRig rig;
    rig.loadTrack(0);
    PlayListPanel& playList = *rig.mixer().playList();
    playList.activateWindow();
    ASSERT_TRUE(test::pumpUntil([&] { return keyboardShortcutsEnabled.load() == 0; }));
    CZanMixState& mix = rig.engine().mix();
    rig.engine().SetDeckLevel(0, 0.5);
    QTest::keyPress(&playList, Qt::Key_T);
    QTest::keyClick(rig.mixer().deck(0), Qt::Key_W);
    rig.poll('T', 3);
    letWindowThreadRun(20);
    EXPECT_EQ(mix.levelDeck[0].value, 0.5);
    EXPECT_FALSE(rig.deck(0).IsPlaying());
    QTest::keyRelease(&playList, Qt::Key_T);

    // Nor while a dialog is: typing a file name holds letters too.
    QDialog dialog(&rig.mixer());
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(test::pumpUntil([&] { return dialog.isActiveWindow() && keyboardShortcutsEnabled.load() == 1; }));
    rig.poll('T', 3);
    EXPECT_EQ(mix.levelDeck[0].value, 0.5);
    dialog.hide();
    rig.mixer().activateWindow();
    ASSERT_TRUE(test::pumpUntil([&] { return rig.mixer().isActiveWindow(); }));
    rig.poll('T', 3);
    EXPECT_GT(mix.levelDeck[0].value, 0.5);
}
