// The hidden main window: start-up, the refresh it answers, and the close that ends it; and
// where it places the panels, as a function of the screen: which edges touch, on a wide
// screen and on one narrower and lower than the panels (edges negative, nothing clamped).
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QTimer>

#include <fstream>

#include "app/shared_state.h"
#include "deck/deck.h"
#include "engine/zan_mixer.h"
#include "playlist/zan_play_list.h"
#include "support/message_recorder.h"
#include "support/sources_fixtures.h"
#include "support/temp_dir.h"
#include "ui/main_window.h"
#include "ui/mixer_panel.h"
#include "ui/panel_placement.h"
#include "ui/shell_rig.h"

using namespace quillmix;

namespace {
// The main window on the rig's services; closed at the end if a test left it open.
class MainWindowTest : public ::testing::Test, public test::ShellRig {
protected:
    ~MainWindowTest() override {
        if (dialog.mixer()) sendMessage(dialog.handle(), WM_CLOSE);
    }
    CZanAudioDlg dialog{services()};
};
}  // namespace

TEST_F(MainWindowTest, StartUpCreatesThePanelsAndOnlyAConfirmedCloseEndsTheModalLoop) {
    int asked = 0;
    // Once running: the user closes the mixer panel and declines, then closes it and confirms.
    QTimer::singleShot(50, [&] {
        ASSERT_NE(dialog.mixer(), nullptr);
        EXPECT_EQ(mainWindowReady, 1);
        EXPECT_EQ(mainDialogWindow, dialog.handle());
        EXPECT_EQ(mixerWindow, dialog.mixer()->handle());
        EXPECT_EQ(deckWindow[1], dialog.mixer()->deck(1)->handle());
        EXPECT_TRUE(dialog.mixerPanel()->isVisible());
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(dialog.mixerPanel()->windowTitle(), "Quillmix");
        EXPECT_EQ(dialog.windowTitle(), "Quillmix");
        dialog.mixerPanel()->confirmExit = [&] { return ++asked == 2; };
        dialog.mixerPanel()->close();
    });
    QTimer::singleShot(100, [&] {
        ASSERT_NE(dialog.mixer(), nullptr);
        ASSERT_TRUE(dialog.mixerPanel()->isVisible());
        dialog.mixerPanel()->close();
    });
    dialog.DoModal();  // returns only through the orderly close
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(dialog.mixer(), nullptr);
    EXPECT_EQ(keyboardThreadRunning.load(), 0);
    EXPECT_EQ(trackLengthLoaderRunning.load(), 0);
}

TEST_F(MainWindowTest, FailedSoundLayerCheckEndsStartUpWithoutPanels) {
    dialog.checkSoundLayer = [] { return std::string("No sound layer"); };
    QTimer::singleShot(50, [] {
        // The message box is the only window left; acknowledge it.
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
                EXPECT_EQ(box->text(), "No sound layer");
                box->accept();
            }
    });
    dialog.DoModal();
    EXPECT_EQ(dialog.mixer(), nullptr);
}

TEST_F(MainWindowTest, CpuTimerRefreshReachesItsControls) {
    ASSERT_TRUE(dialog.OnInitDialog());
    for (int i = 0; i < 120 && dialog.findChild<QLabel*>("1019")->text() == "0 %"; ++i) {
        // Busy the processor a little so the figure moves off zero at some sample.
        volatile double x = 0;
        for (int k = 0; k < 2000000; ++k) x = x + k;
        letWindowThreadRun(10);
    }
    const std::string text = dialog.cpuUsageText();
    EXPECT_EQ(dialog.findChild<QLabel*>("1019")->text().toStdString(), text);
    EXPECT_EQ(dialog.findChild<QProgressBar*>("1018")->value(), static_cast<int>(dialog.cpuUsagePercent()));
}

TEST_F(MainWindowTest, CommandLineTracksLoadIntoTheirDecksAndThePlayListAndListFilesAreRead) {
    test::TempDir dir;
    test::sourcesWriteWav16(dir.file("a.wav"), test::sourcesSilence(44100, 2), 2, 44100);
    test::sourcesWriteWav16(dir.file("b.wav"), test::sourcesSilence(44100 * 2, 2), 2, 44100);
    { std::ofstream(dir.file("set.M3U")) << dir.file("a.wav").string() << "\n"; }
    for (const auto& name : {"a.wav", "missing.wav", "b.wav", "set.M3U"})
        commandLine.ParseParam(dir.file(name).string(), false, false);
    ShellServices withDeckB = services();
    withDeckB.deckBTrack = dir.file("a.wav").string();
    CZanAudioDlg started{withDeckB};
    ASSERT_TRUE(started.OnInitDialog());
    // Deck A's loaded in turn (the second replaces the first); the missing one is passed over.
    EXPECT_EQ(started.mixer()->deck(0)->GetCurrentTrackPath(), dir.file("b.wav").string());
    EXPECT_NEAR(started.mixer()->deck(0)->GetLength(), 2.0, 0.01);
    EXPECT_NEAR(started.mixer()->deck(1)->GetLength(), 1.0, 0.01);
    PlayListModel& list = started.mixer()->playList()->model();
    ASSERT_EQ(list.EntryCount(), 4);  // the play list file's one entry follows, then deck B's
    EXPECT_EQ(list.Entry(0).path, dir.file("a.wav").string());
    EXPECT_EQ(list.Entry(1).path, dir.file("b.wav").string());
    EXPECT_EQ(list.Entry(1).deck, 0);
    EXPECT_EQ(list.Entry(2).path, dir.file("a.wav").string());
    EXPECT_EQ(list.GetCurrentNumber(0), 2);  // the entry of the track deck A holds
    EXPECT_EQ(list.Entry(3).deck, 1);
    EXPECT_EQ(list.GetCurrentNumber(1), 4);
    sendMessage(started.handle(), WM_CLOSE);
}

// A close that arrives inside a wait (here a wait of the window thread for a worker's event)
// runs only once that wait has returned: the mixer and decks outlive every frame that uses
// them.
TEST_F(MainWindowTest, CloseInsideAWaitRunsWhenTheWaitHasReturned) {
    ASSERT_TRUE(dialog.OnInitDialog());
    Event done = Event::create(Event::Reset::manual, false);
    bool mixerAliveAtEndOfWait = false;
    postMessage(dialog.handle(), WM_CLOSE);  // handled inside the wait below
    QTimer watch;
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (!dialog.closePending() && dialog.mixer() && std::chrono::steady_clock::now() < giveUp) return;
        watch.stop();
        mixerAliveAtEndOfWait = dialog.mixer() != nullptr && dialog.closePending();
        done.set();
    });
    watch.start(5);
    pumpingWait(done);
    EXPECT_TRUE(mixerAliveAtEndOfWait);
    EXPECT_TRUE(test::pumpUntil([&] { return dialog.mixer() == nullptr; }, std::chrono::seconds(10)));
}

TEST(PanelPlacementTest, PanelsTouchAtTheCentreLineTheTopAndTheBottomOnAnyScreen) {
    PanelSizes s;
    s.mixerAtCreation = {321, 345};
    s.deck[0] = s.deck[1] = {423, 345};
    s.equalizer[0] = {210, 179};
    s.equalizer[1] = {200, 170};
    s.effects[0] = {211, 179};
    s.effects[1] = {190, 160};
    s.playList = {522, 309};
    s.analyzer = {500, 300};
    for (const ScreenMetrics screen : {ScreenMetrics{1920, 1050, 30}, ScreenMetrics{801, 200, 20}}) {
        const auto steps = placePanels(screen, s);
        const auto at = [&](Panel p) { return steps[static_cast<std::size_t>(p)]; };
        for (int i = 0; i < 9; ++i) EXPECT_EQ(steps[i].panel, static_cast<Panel>(i)) << "placed in this order";
        const auto right = [&](Panel p) { return at(p).left + at(p).size.width; };
        const auto bottom = [&](Panel p) { return at(p).top + at(p).size.height; };
        const int centre = screen.fullScreenWidth / 2, floor = screen.fullScreenHeight + screen.captionHeight;
        SCOPED_TRACE(screen.fullScreenWidth);
        // Halves truncate, so the mixer's edges may be one pixel off.
        EXPECT_NEAR(at(Panel::mixer).left + right(Panel::mixer), 2 * centre, 1);
        EXPECT_NEAR(right(Panel::deckA), at(Panel::mixer).left, 1);
        EXPECT_NEAR(at(Panel::deckB).left, right(Panel::mixer), 1);
        for (Panel p : {Panel::mixer, Panel::deckA, Panel::deckB}) EXPECT_EQ(at(p).top, 0);
        EXPECT_EQ(right(Panel::effectsA), centre);
        EXPECT_EQ(at(Panel::effectsB).left, centre);
        EXPECT_EQ(right(Panel::equalizerA), at(Panel::effectsA).left);
        EXPECT_EQ(at(Panel::equalizerB).left, right(Panel::effectsB));
        for (Panel p : {Panel::equalizerA, Panel::effectsA}) EXPECT_EQ(at(p).top, bottom(Panel::deckA));
        for (Panel p : {Panel::equalizerB, Panel::effectsB}) EXPECT_EQ(at(p).top, bottom(Panel::deckB));
        EXPECT_EQ(right(Panel::playList), centre);
        EXPECT_EQ(at(Panel::analyzer).left, centre);
        EXPECT_EQ(bottom(Panel::playList), floor);
        EXPECT_EQ(bottom(Panel::analyzer), floor);
        EXPECT_EQ(at(Panel::analyzer).size.width, 500);
    }
}
