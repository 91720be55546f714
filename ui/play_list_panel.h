#pragma once
// The "Play List" window: shows the play list's entries (CZanPlayList2) and edits them.
// While it is the active window, typing goes to it and no keyboard shortcut acts.
//
// Rows: a list over the model (PlayListRows), "Files" and "Time". A click marks the row
// found, a double-click loads its entry into its deck. Buttons: "+ File", "+ Folder",
// "Delete", "Delete All", "Up", "Down", "Save", "A <-> B"; the "Show" radios pick the
// display mode; the find box and "Next" search the rows below the selection. Files dropped
// from a file manager become deck-A entries in drop order (a dropped folder brings its
// tracks). Every modal dialog goes through the dialog seam, between the requests that let
// the mixer queue more sound ahead while it is open.
//
// A folder scan inserts its tracks in path order at the entry count it began with, a
// bounded batch per 4 ms tick (kScanBudgetMs), with the progress bar shown and the eight
// buttons hidden until the last one is in.
//
// Window thread only. Controls are named by their ids (the k...Id constants).

#include <QTimer>

#include <array>
#include <string>
#include <vector>

#include "playlist/folder_scan.h"
#include "ui/panel_dialog.h"

class QProgressBar;
class QPushButton;
class QRadioButton;

namespace quillmix {

class CZanButtonCtrl;
class CZanEdit;
class CZanListCtrl;
class CZanPlayList2;
class PlayListModel;
class PlayListRows;
enum class DisplayMode;

class PlayListPanel : public PanelDialog {
public:
    PlayListPanel(QWidget* parent, CZanPlayList2& playList);
    ~PlayListPanel() override;

    CZanPlayList2& playList() const { return playList_; }
    PlayListModel& model() const;
    CZanListCtrl& list() const { return *list_; }
    PlayListRows& rows() const { return *rows_; }

    // The button handlers, also reached by clicking the buttons.
    void addFiles();
    void addFolder();
    void deleteSelected();
    void deleteAll();
    void save();
    // "Next" or Enter in the find box: the next row below the selection showing the find text.
    void findNext();
    void setDisplayMode(DisplayMode mode);
    // Dropped paths in drop order: files become deck-A entries, folders bring their tracks.
    void dropPaths(const std::vector<std::string>& paths);

    // True from the start of a folder scan's insertion until its last path is in.
    bool scanning() const { return scan_.Active(); }

    // The patterns of the tracks a folder scan takes (the configured filter plus the other
    // formats the decoder reads), and the "+ File" dialog's filter (those and play lists).
    static std::string trackPatterns();
    static QString addFileFilter();

    static constexpr int kListId = 1006, kAddFileId = 1008, kAddFolderId = 1009, kDeleteId = 1010, kDeleteAllId = 1073,
                         kUpId = 1007, kDownId = 1011, kSaveId = 1015, kSwapId = 1017, kProgressId = 1012,
                         kShowBoxId = 1072, kFileNameId = 1074, kPathId = 1075, kTagId = 1076, kFindBoxId = 1077,
                         kFindTextId = 1013, kNextId = 1078;
    // Time one scan tick may spend inserting paths (ms); the tick comes every kFolderScanStepMs.
    static constexpr int kScanBudgetMs = 2;

protected:
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void createButtons();
    void createShowAndFind();
    void connectList();
    void scanStep();
    void endScan();
    void setButtonsVisible(bool visible);
    void layOut(int height);

    CZanPlayList2& playList_;
    PlayListRows* rows_ = nullptr;
    CZanListCtrl* list_ = nullptr;
    std::array<CZanButtonCtrl*, 8> buttons_{};
    QProgressBar* progress_ = nullptr;
    std::array<QRadioButton*, 3> modes_{};
    CZanEdit* findText_ = nullptr;
    QWidget* showBox_ = nullptr;
    QWidget* findBox_ = nullptr;
    FolderScanQueue scan_;
    QTimer scanTimer_;
    QTimer progressTimer_;
    bool syncingSelection_ = false;
};

}  // namespace quillmix
