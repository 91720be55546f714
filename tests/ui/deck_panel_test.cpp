// The deck panel on the real main window, mixer and decks, with the main output on a
// hand-stepped device: what the user's clicks and drags do to the transport and the sound.
#include <gtest/gtest.h>

#include <chrono>

#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include <cmath>
#include <fstream>

#include "app/shared_state.h"
#include "deck/deck.h"
#include "engine/zan_mixer.h"
#include "playlist/zan_play_list.h"
#include "sound/sound_device.h"
#include "support/message_recorder.h"
#include "support/sound_signals.h"
#include "support/sources_fixtures.h"
#include "support/temp_dir.h"
#include "ui/deck_panel.h"
#include "ui/fake_dialogs.h"
#include "ui/main_window.h"
#include "ui/mixer_panel.h"
#include "ui/shell_rig.h"
#include "ui/widget_test_support.h"
#include "ui/widgets/zan_button_ctrl.h"
#include "ui/widgets/zan_small_controls.h"

using namespace quillmix;

namespace {

// A 440 Hz tone; returns its path.
QString writeTone(const std::filesystem::path& file, double seconds) {
    return QString::fromStdString(
        test::sourcesWav(file, test::soundSine(static_cast<int>(seconds * 44100), 440, 44100, 10000)));
}

class DeckPanelTest : public ::testing::Test, public test::MainWindowRig {
protected:
    DeckPanel& panel() { return *dialog.mixerPanel()->deck(0); }
    CZanDeck2& deck() { return *dialog.mixer()->deck(0); }
    template <typename T>
    T& control(int id) {
        return *test::control<T>(panel(), id);
    }
    QComboBox& chooser() { return control<QComboBox>(1038); }
    QString time() { return control<QLabel>(1003).text(); }

    // Picks "Browse..." and answers the dialog with `files` (empty: Cancel).
    void browse(QStringList files) {
        dialogs.files.push_back(files);
        chooser().setCurrentIndex(1);
        emit chooser().activated(1);
        letWindowThreadRun(5);
    }
    void loadTone() {
        browse({tone});
        ASSERT_TRUE(test::pumpUntil([&] { return control<CZanButtonCtrl>(1004).isEnabled(); })) << "never buffered";
    }

    test::TempDir dir;
    const QString tone = writeTone(dir.file("tone.wav"), 12.0);  // 121 chunks buffered turn the buttons on
    test::FakeDialogs dialogs;
};

}  // namespace

TEST_F(DeckPanelTest, PlayCarriesTheTrackToTheMainOutputAndPauseWithCueReturns) {
    auto& play = control<CZanButtonCtrl>(1004);
    EXPECT_EQ(play.imageName(), "playPauseDisabled.png");  // created disabled
    loadTone();
    EXPECT_EQ(play.imageName(), "playPause.png");
    control<QCheckBox>(1113).click();  // cue at the start
    EXPECT_TRUE(deck().IsCueOn());
    play.click();
    ASSERT_TRUE(test::pumpUntil([&] { return deck().IsPlaying(); }));
    EXPECT_GT(test::loudest(render(1.0)), 5000);
    play.click();  // pause: back to the cue point
    EXPECT_FALSE(deck().IsPlaying());
    letWindowThreadRun(5);
    EXPECT_EQ(control<CZanSliderCtrl>(1039).value(), 0);
    EXPECT_EQ(time(), "00:00:00");
    const auto after = render(0.5);
    EXPECT_EQ(test::loudest(after, after.size() / 2), 0);  // silent once faded out
}

TEST_F(DeckPanelTest, BrowseLoadsTheFirstFileQueuesTheRestAndCancelOrFailureKeepsTheChooserTrue) {
    const QString junk = QString::fromStdString(dir.file("junk.mp3").string());
    std::ofstream(junk.toStdString()) << "not audio";
    browse({junk});
    EXPECT_EQ(dialogs.asked.back(), "Quillmix: File Not Recognized");
    EXPECT_EQ(chooser().currentText(), "Nothing Loaded");
    EXPECT_EQ(chooser().count(), 2);

    const QString name40 = QString(40, 'n');
    const QString first = writeTone(dir.file(name40.toStdString() + ".wav"), 1.0);
    const QString b = writeTone(dir.file("b.wav"), 1.0);
    browse({first, b, junk});
    EXPECT_EQ(deck().GetCurrentTrackPath(), first.toStdString());
    EXPECT_EQ(chooser().currentText(), first);
    const auto& list = dialog.mixer()->playList()->model();
    ASSERT_EQ(list.EntryCount(), 3);
    EXPECT_EQ(list.Entry(0).path, first.toStdString());
    EXPECT_EQ(list.Entry(1).path, b.toStdString());
    EXPECT_EQ(list.Entry(2).path, junk.toStdString());
    for (int i = 0; i < 3; ++i) EXPECT_EQ(list.Entry(i).deck, 0);
    // The name is the file's without folder and extension (the control draws 29 of its characters).
    EXPECT_EQ(control<CZanTrackNameIndicator>(1090).text(), name40);

    browse({});  // Cancel
    EXPECT_EQ(chooser().currentText(), first);
    EXPECT_EQ(deck().GetCurrentTrackPath(), first.toStdString());
    chooser().setCurrentIndex(0);
    emit chooser().activated(0);
    browse({});
    EXPECT_EQ(chooser().currentIndex(), 0);
    EXPECT_FALSE(deck().IsLoaded());
}

TEST_F(DeckPanelTest, PositionDragShowsTheTimeAndSeeksOnRelease) {
    loadTone();
    auto& slider = control<CZanSliderCtrl>(1039);
    test::sendMouse(slider, QEvent::MouseButtonPress, QPointF(3, slider.height() / 2.0));
    letWindowThreadRun(2);
    ASSERT_TRUE(deck().seeking());
    test::sendMouse(slider, QEvent::MouseMove, QPointF(slider.width() / 2.0, slider.height() / 2.0));
    letWindowThreadRun(2);
    const double dragged = slider.value() / 65535.0;
    EXPECT_NEAR(dragged, 0.5, 0.1);
    EXPECT_EQ(time().toStdString(), deck().timeText());
    EXPECT_NEAR(deck().positionFraction(), dragged, 1e-9);
    EXPECT_NE(time(), "00:00:00");
    test::sendMouse(slider, QEvent::MouseButtonRelease, QPointF(slider.width() / 2.0, slider.height() / 2.0));
    letWindowThreadRun(5);
    EXPECT_NEAR(deck().positionFraction(), dragged, 1e-9);
    EXPECT_FALSE(deck().seeking());
    EXPECT_NEAR(deck().positionSeconds(), dragged * 12.0, 1e-6);
}

TEST_F(DeckPanelTest, TempoSpinStepsTenUnitsAndResetReturnsToZero) {
    auto& slider = control<QSlider>(1029);
    auto& spin = control<QAbstractSpinBox>(1064);
    spin.stepDown();  // a positive delta: towards the slider's maximum, slower
    EXPECT_EQ(slider.value(), 10);
    EXPECT_DOUBLE_EQ(deck().tempoPercent(), -0.08);
    spin.stepUp();
    spin.stepUp();
    EXPECT_EQ(slider.value(), -10);
    EXPECT_DOUBLE_EQ(deck().tempoPercent(), 0.08);
    for (int i = 0; i < 13; ++i) spin.stepUp();
    letWindowThreadRun(2);
    EXPECT_EQ(slider.value(), -140);
    EXPECT_EQ(control<QLabel>(1030).text(), "1.1%");
    control<QPushButton>(1065).click();
    letWindowThreadRun(2);
    EXPECT_EQ(slider.value(), 0);
    EXPECT_EQ(deck().tempoPercent(), 0.0);
    EXPECT_EQ(control<QLabel>(1030).text(), "0.0%");
}

// That a transport button posts one end per press, and that the deck stops moving on it,
// are the button's and the deck's tests.
TEST_F(DeckPanelTest, HoldingFfwdMovesTheDeckAndHoldingRevPlaysThePastBackward) {
    loadTone();
    auto& ffwd = control<CZanButtonCtrl>(1052);
    // One second forward every 200 ms while held; a loaded machine may fire fewer steps, never more.
    const auto pressed = std::chrono::steady_clock::now();
    test::sendMouse(ffwd, QEvent::MouseButtonPress, QPointF(5, 5));
    test::pumpFor(std::chrono::milliseconds(700));
    test::sendMouse(ffwd, QEvent::MouseButtonRelease, QPointF(5, 5));
    const auto held = std::chrono::duration<double>(std::chrono::steady_clock::now() - pressed).count();
    letWindowThreadRun(5);
    const double moved = deck().positionFraction() * 12.0;
    EXPECT_GE(moved, 1.0);
    EXPECT_LE(moved, held / 0.2 + 1.0);

    // Play is disabled while the deck buffers again at its new place.
    ASSERT_TRUE(test::pumpUntil([&] { return control<CZanButtonCtrl>(1004).isEnabled(); }));
    control<CZanButtonCtrl>(1004).click();
    ASSERT_TRUE(test::pumpUntil([&] { return deck().IsPlaying(); }));
    render(1.5);
    auto& rev = control<CZanButtonCtrl>(1054);
    ASSERT_TRUE(test::pumpUntil([&] { return rev.isEnabled(); }));
    test::sendMouse(rev, QEvent::MouseButtonPress, QPointF(5, 5));
    ASSERT_TRUE(test::pumpUntil([&] { return deck().playingBackward(); }));
    EXPECT_GT(test::loudest(render(0.5)), 5000);
    test::sendMouse(rev, QEvent::MouseButtonRelease, QPointF(5, 5));
    EXPECT_TRUE(test::pumpUntil([&] {
        render(0.05);
        return !deck().playingBackward();
    }));
}

TEST_F(DeckPanelTest, DecksSitEitherSideOfTheMixerByTheirFrames) {
    const QRect mixer = dialog.mixerPanel()->frameGeometry();
    const QRect a = dialog.mixerPanel()->deck(0)->frameGeometry();
    const QRect b = dialog.mixerPanel()->deck(1)->frameGeometry();
    // Framed windows touch: placed by the sizes of their frames, not of their insides.
    EXPECT_EQ(a.top(), mixer.top());
    EXPECT_EQ(b.top(), mixer.top());
    // Halves truncate, so an edge may be one pixel off touching.
    EXPECT_LE(std::abs(a.right() + 1 - mixer.left()), 1);
    EXPECT_LE(std::abs(b.left() - (mixer.right() + 1)), 1);
}
