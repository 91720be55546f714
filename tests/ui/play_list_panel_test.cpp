// The play list window over a real mixer: moving between entries, adding folders, files,
// play list files and drops, the find, moves and deletes, and large lists.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QProgressBar>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include "app/message_catalogue.h"
#include "app/shared_state.h"
#include "engine/zan_mixer.h"
#include "fake_dialogs.h"
#include "playlist/zan_play_list.h"
#include "support/temp_dir.h"
#include "ui/deck_selector.h"
#include "ui/play_list_controls.h"
#include "ui/play_list_panel.h"
#include "ui/play_list_rows.h"
#include "ui/shell_rig.h"
#include "ui/widgets/zan_button_ctrl.h"

using namespace quillmix;

namespace {

class PlayListPanelTest : public ::testing::Test, public test::ShellRig {
protected:
    PlayListModel& model() { return panel.model(); }
    void click(int id) {
        auto* button = panel.findChild<QAbstractButton*>(QString::number(id));
        ASSERT_NE(button, nullptr) << id;
        button->click();
    }
    std::string path(const std::string& name) const { return dir.file(name).string(); }
    QString shown(int row, int column = 0) { return panel.rows().index(row, column).data().toString(); }

    CZanMixer mixer{mixerServices()};
    PlayListPanel panel{nullptr, *mixer.playList()};
    test::FakeDialogs dialogs;
    test::TempDir dir;
};

// Which entry Next and Previous pick is the model's rule; here they arrive through the mixer.
TEST_F(PlayListPanelTest, NextAndPreviousThroughTheMixerMoveTheCurrentIconOnTheRows) {
    model().AddEntry(0, path("a1.mp3"), -1, "");
    model().AddEntry(1, path("b1.mp3"), -1, "");
    model().AddEntry(0, path("a2.mp3"), -1, "");
    sendMessage(mixerWindow, UWM_NEXT_TRACK, 0);
    sendMessage(mixerWindow, UWM_NEXT_TRACK, 0);
    EXPECT_EQ(model().GetCurrentNumber(0), 3);
    sendMessage(mixerWindow, UWM_PREVIOUS_TRACK, 0);
    EXPECT_EQ(model().GetCurrentNumber(0), 1);
    // The rows show it: the current icon on row 0, the plain one on row 2.
    const auto icon = [&](int row) {
        return panel.rows().index(row, 0).data(Qt::DecorationRole).value<QIcon>().cacheKey();
    };
    EXPECT_EQ(icon(0), playListRowIcon(kIconCurrentDeckA).cacheKey());
    EXPECT_EQ(icon(2), playListRowIcon(kIconDeckA).cacheKey());
}

TEST_F(PlayListPanelTest, MeasuredLengthsAndFailuresReachTheRowsAsTheyArrive) {
    model().AddEntry(0, path("good.mp3"), -1, "");
    model().AddEntry(1, path("bad.mp3"), -1, "");
    QSignalSpy changed(&panel.rows(), &QAbstractItemModel::dataChanged);
    const auto loaded = [&](const std::string& file, double seconds) {
        trackLengthLoadPath = path(file);
        trackLengthLoadTitle.clear();
        trackLengthLoadResult = seconds;
        sendMessage(mixerWindow, UWM_TRACK_LENGTH_LOADED);
    };
    loaded("good.mp3", 125.7);
    loaded("bad.mp3", -1.0);
    ASSERT_EQ(changed.size(), 2);
    EXPECT_EQ(changed[0][0].toModelIndex().row(), 0);
    EXPECT_EQ(changed[1][0].toModelIndex().row(), 1);
    EXPECT_EQ(shown(0, 1), "2:05");
    EXPECT_EQ(shown(1, 1), "???");
}

TEST_F(PlayListPanelTest, FolderIsAddedInPathOrderAfterTheEntriesWithButtonsBackAtTheEnd) {
    for (const char* name : {"set/c.mp3", "set/a.mp3", "set/sub/b.wav", "set/readme", "set/cover.jpg"}) dir.touch(name);
    model().AddEntry(0, path("z.mp3"), -1, "");
    dialogs.folders.push_back(QString::fromStdString(path("set")));
    dialogs.decks.push_back(DeckChoice::alternate);
    click(PlayListPanel::kAddFolderId);
    ASSERT_TRUE(panel.scanning());
    EXPECT_FALSE(panel.findChild<QWidget*>("1008")->isVisibleTo(&panel));
    EXPECT_TRUE(panel.findChild<QProgressBar*>("1012")->isVisibleTo(&panel));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !panel.scanning(); }, 5000));

    // Which files, in which order, on which deck: the scan's own rules; here the chosen
    // folder and deck reach it and the rows follow.
    ASSERT_EQ(model().EntryCount(), 5);
    EXPECT_EQ(model().Entry(2).path, path("set/c.mp3"));
    EXPECT_EQ(model().Entry(2).deck, 1u);
    EXPECT_EQ(panel.rows().rowCount(), 5);
    for (int id : {1008, 1009, 1010, 1073, 1007, 1011, 1015, 1017})
        EXPECT_TRUE(panel.findChild<QWidget*>(QString::number(id))->isVisibleTo(&panel)) << id;
    EXPECT_FALSE(panel.findChild<QProgressBar*>("1012")->isVisibleTo(&panel));
}

// Where a find starts and that it does not wrap are the model's rules; here both ways of
// asking reach it and the list follows.
TEST_F(PlayListPanelTest, ReturnInTheFindBoxAndItsNextButtonMoveTheListSelection) {
    for (const char* name : {"Beat One", "Intro", "Deep Beats", "Outro"})
        model().AddEntry(0, path(name) + ".mp3", -1, "");
    auto* box = panel.findChild<CZanEdit*>("1013");
    ASSERT_NE(box, nullptr);
    QTest::keyClicks(box, "beat");
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(model().SelectedRow(), 0);
    click(PlayListPanel::kNextId);
    EXPECT_EQ(model().SelectedRow(), 2);
    EXPECT_EQ(panel.list().currentIndex().row(), 2);
}

TEST_F(PlayListPanelTest, MovesKeepTheMarksAndDeletingTheQueuedEntryQueuesTheNextOne) {
    for (const char* name : {"a0", "a1", "a2", "a3"}) model().AddEntry(0, path(name), -1, "");
    model().MakeCurrent(1);
    ASSERT_EQ(model().GetNextTrackPath(0), path("a2"));
    model().SelectRow(1);
    click(PlayListPanel::kDownId);
    EXPECT_EQ(model().Entry(2).path, path("a1"));
    EXPECT_TRUE(model().Entry(2).current);
    EXPECT_EQ(model().Entry(1).path, path("a2"));
    EXPECT_TRUE(model().Entry(1).nextQueued);
    EXPECT_EQ(panel.list().currentIndex().row(), 2);
    EXPECT_EQ(shown(1), "a2");
    click(PlayListPanel::kUpId);
    EXPECT_EQ(model().GetCurrentNumber(0), 2);
    EXPECT_TRUE(model().Entry(2).nextQueued);

    model().SelectRow(2);  // the queued entry
    click(PlayListPanel::kDeleteId);
    EXPECT_EQ(model().EntryCount(), 3);
    EXPECT_EQ(panel.rows().rowCount(), 3);
    EXPECT_EQ(model().GetNextTrackPath(0), path("a3"));
    EXPECT_EQ(shown(2), "a3");
}

// Both formats' round trips are the file tests'; here one goes through the panel's buttons.
TEST_F(PlayListPanelTest, SavedListReadsBackAndAFailedSaveSaysSoAndKeepsTheList) {
    model().AddEntry(0, path("one.mp3"), 185.0, "First");
    model().AddEntry(1, path("two.ogg"), 61.0, "");
    const std::string list = path("set.pls");
    dialogs.saveNames.push_back(QString::fromStdString(list));
    click(PlayListPanel::kSaveId);
    EXPECT_EQ(panel.windowTitle().toStdString(), list);
    dialogs.okCancel.push_back(true);
    click(PlayListPanel::kDeleteAllId);
    EXPECT_EQ(dialogs.asked.back(), "Play List: Are You Sure?");
    ASSERT_EQ(model().EntryCount(), 0);
    dialogs.files.push_back({QString::fromStdString(list)});
    click(PlayListPanel::kAddFileId);
    ASSERT_EQ(model().EntryCount(), 2);
    EXPECT_EQ(shown(0, 1), "3:05");
    dialogs.saveNames.push_back(QString::fromStdString(path("missing/folder/set.m3u")));
    click(PlayListPanel::kSaveId);
    EXPECT_EQ(dialogs.asked.back(), "Play List: File Write Error");
    EXPECT_EQ(model().EntryCount(), 2);
    dialogs.okCancel.push_back(false);  // "Are You Sure?" answered Cancel keeps the list
    click(PlayListPanel::kDeleteAllId);
    EXPECT_EQ(model().EntryCount(), 2);
}

// Dropped files go to deck A by the model's rule; here a drag brings files, a folder's
// tracks and a web address that is passed over.
TEST_F(PlayListPanelTest, DroppedFilesArriveInDropOrderAndFoldersBringTheirTracks) {
    for (const char* name : {"drop/y.mp3", "drop/x.mp3"}) dir.touch(name);
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(path("c.mp3"))),
                  QUrl::fromLocalFile(QString::fromStdString(path("drop"))), QUrl("https://example.com/r.mp3"),
                  QUrl::fromLocalFile(QString::fromStdString(path("a.mp3")))});
    // As a file manager's drag arrives: it enters the list (which must take it), then drops.
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(panel.list().viewport(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(panel.list().viewport(), &drop);
    const std::vector<std::string> expected{path("c.mp3"), path("drop/x.mp3"), path("drop/y.mp3"), path("a.mp3")};
    ASSERT_EQ(model().EntryCount(), 4);
    for (int row = 0; row < 4; ++row) EXPECT_EQ(model().Entry(row).path, expected[static_cast<std::size_t>(row)]);
}

// The names each mode shows are the model's; here the rows show the new ones at once.
TEST_F(PlayListPanelTest, ModeChangeOfTenThousandEntriesIsOneChangeOfEveryRow) {
    for (int i = 0; i < 10000; ++i) model().AddEntry(i % 2, path("t" + std::to_string(i) + ".mp3"), i, "");
    QSignalSpy changed(&panel.rows(), &QAbstractItemModel::dataChanged);
    panel.findChild<QRadioButton*>("1075")->click();  // "Path"
    // The list is told once that every row's name changed, and repaints what it shows.
    ASSERT_EQ(changed.size(), 1);
    EXPECT_EQ(changed[0][0].toModelIndex().row(), 0);
    EXPECT_EQ(changed[0][1].toModelIndex().row(), 9999);
    EXPECT_EQ(shown(9999).toStdString(), path("t9999.mp3"));
}

TEST(DeckSelectorTest, OpensOnDeckAAndReturnsTheClickedChoice) {
    RealDialogs real;
    for (const char* clicked : {"", "1100"}) {
        QTimer::singleShot(0, [clicked] {
            QWidget* selector = QApplication::activeModalWidget();
            ASSERT_NE(selector, nullptr);
            EXPECT_EQ(selector->windowTitle(), "Select Deck");
            EXPECT_TRUE(selector->findChild<QRadioButton*>("1098")->isChecked());
            if (*clicked) selector->findChild<QRadioButton*>(clicked)->click();
            selector->findChild<QAbstractButton*>("1")->click();
        });
        const std::optional<DeckChoice> choice = real.selectDeck(nullptr);
        ASSERT_TRUE(choice.has_value());
        EXPECT_EQ(*choice, *clicked ? DeckChoice::alternate : DeckChoice::deckA);
    }
}

}  // namespace
