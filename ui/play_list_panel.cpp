#include "ui/play_list_panel.h"

#include <QEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QResizeEvent>
#include <QScrollBar>
#include <QStyle>

#include "app/shared_state.h"
#include "playlist/zan_play_list.h"
#include "ui/play_list_controls.h"
#include "ui/play_list_rows.h"
#include "ui/widgets/widget_support.h"
#include "ui/widgets/zan_button_ctrl.h"

namespace quillmix {

namespace {

// A length of the panel layout in dialog units, as pixels across and down.
int duX(int x) { return dialogUnits(x, 0).width(); }
int duY(int y) { return dialogUnits(0, y).height(); }

// The panel's layout, in pixels from the bottom where the window height moves it.
constexpr int kListBottomGap = 136;     // the list ends this far above the window's bottom
constexpr int kButtonsFromBottom = 64;  // tops of the eight buttons
constexpr int kGroupsFromBottom = 126;  // tops of the "Show" and "Find" frames
constexpr int kMinHeight = 200;

struct ButtonSpec {
    int id;
    const char* caption;
    ButtonKind kind;
    const char* tip;
};

constexpr std::array<ButtonSpec, 8> kButtons{{
    {PlayListPanel::kAddFileId, "+ File", ButtonKind::AddFile, "Add File"},
    {PlayListPanel::kAddFolderId, "+ Folder", ButtonKind::AddFolder, "Add Folder"},
    {PlayListPanel::kDeleteId, "Delete", ButtonKind::Delete, "Remove From List"},
    {PlayListPanel::kDeleteAllId, "Delete All", ButtonKind::DeleteAll, "Clear List"},
    {PlayListPanel::kUpId, "Up", ButtonKind::MoveUp, "Move Up"},
    {PlayListPanel::kDownId, "Down", ButtonKind::MoveDown, "Move Down"},
    {PlayListPanel::kSaveId, "Save", ButtonKind::Save, "Save"},
    {PlayListPanel::kSwapId, "A <-> B", ButtonKind::DeckSwap, "Deck Swap"},
}};

}  // namespace

PlayListPanel::PlayListPanel(QWidget* parent, CZanPlayList2& playList)
    : PanelDialog(parent, "Play List", dialogUnits(348, 190)), playList_(playList) {
    setObjectName("playList");
    // The width stays; the height may grow (the list takes the extra room).
    setMinimumSize(width(), kMinHeight);
    setMaximumSize(width(), QWIDGETSIZE_MAX);
    rows_ = new PlayListRows(playList.model(), this);
    list_ = new CZanListCtrl(this);
    setControlId(*list_, kListId);
    list_->setModel(rows_);
    connectList();
    createButtons();
    createShowAndFind();
    progress_ = new QProgressBar(this);
    setControlId(*progress_, kProgressId);
    progress_->setTextVisible(false);
    progress_->hide();
    scanTimer_.setInterval(kFolderScanStepMs);
    connect(&scanTimer_, &QTimer::timeout, this, [this] { scanStep(); });
    progressTimer_.setInterval(kFolderScanProgressMs);
    connect(&progressTimer_, &QTimer::timeout, this, [this] { progress_->setValue(scan_.Progress()); });
    layOut(height());
}

PlayListPanel::~PlayListPanel() {
    // The model outlives the panel; it must stop reporting to rows that are going away.
    list_->setModel(nullptr);
    delete rows_;
}

PlayListModel& PlayListPanel::model() const { return playList_.model(); }

void PlayListPanel::connectList() {
    rows_->showRow = [this](int row) { list_->scrollTo(rows_->index(row, 0)); };
    rows_->selectRow = [this](int row) {
        syncingSelection_ = true;
        if (row < 0) {
            list_->selectionModel()->clear();
        } else {
            list_->selectionModel()->setCurrentIndex(rows_->index(row, 0),
                                                     QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        }
        syncingSelection_ = false;
    };
    // Keys move the selection too; the model's selection follows what the list shows.
    connect(list_->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex& current) {
        if (!syncingSelection_ && !rows_->changing()) model().SelectRow(current.isValid() ? current.row() : -1);
    });
    connect(list_, &QAbstractItemView::clicked, this,
            [this](const QModelIndex& index) { model().MarkFound(index.row()); });
    connect(list_, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& index) { model().ActivateRow(index.row()); });
    list_->onDropFiles = [this](const std::vector<std::string>& paths) { dropPaths(paths); };
}

void PlayListPanel::createButtons() {
    for (std::size_t i = 0; i < kButtons.size(); ++i) {
        auto* button = new CZanButtonCtrl(this, kButtons[i].id);
        button->setKind(kButtons[i].kind);
        button->setText(kButtons[i].caption);
        button->setToolTip(kButtons[i].tip);
        buttons_[i] = button;
    }
    connect(buttons_[0], &QAbstractButton::clicked, this, [this] { addFiles(); });
    connect(buttons_[1], &QAbstractButton::clicked, this, [this] { addFolder(); });
    connect(buttons_[2], &QAbstractButton::clicked, this, [this] { deleteSelected(); });
    connect(buttons_[3], &QAbstractButton::clicked, this, [this] { deleteAll(); });
    connect(buttons_[4], &QAbstractButton::clicked, this, [this] { model().MoveSelectedUp(); });
    connect(buttons_[5], &QAbstractButton::clicked, this, [this] { model().MoveSelectedDown(); });
    connect(buttons_[6], &QAbstractButton::clicked, this, [this] { save(); });
    connect(buttons_[7], &QAbstractButton::clicked, this, [this] { model().SwapDeckOfSelected(); });
}

void PlayListPanel::createShowAndFind() {
    auto* show = new QGroupBox("Show", this);
    setControlId(*show, kShowBoxId);
    showBox_ = show;
    const std::array<const char*, 3> captions{"File Name", "Path", "Tag"};
    const std::array<int, 3> ids{kFileNameId, kPathId, kTagId};
    for (int m = 0; m < 3; ++m) {
        auto* radio = new QRadioButton(captions[static_cast<std::size_t>(m)], show);
        setControlId(*radio, ids[static_cast<std::size_t>(m)]);
        constexpr std::array<int, 3> left{6, 66, 112}, across{58, 44, 44};
        radio->setGeometry(duX(left[static_cast<std::size_t>(m)]), 20, duX(across[static_cast<std::size_t>(m)]), 22);
        connect(radio, &QRadioButton::clicked, this, [this, m] { setDisplayMode(static_cast<DisplayMode>(m)); });
        modes_[static_cast<std::size_t>(m)] = radio;
    }
    modes_[0]->setChecked(true);

    auto* find = new QGroupBox("Find", this);
    setControlId(*find, kFindBoxId);
    findBox_ = find;
    findText_ = new CZanEdit(find);
    setControlId(*findText_, kFindTextId);
    findText_->setGeometry(duX(6), 20, duX(110), 24);
    findText_->onEnter = [this] { findNext(); };
    auto* next = new QPushButton("Next", find);
    setControlId(*next, kNextId);
    next->setGeometry(duX(120), 19, duX(42), 26);
    next->setAutoDefault(false);
    connect(next, &QPushButton::clicked, this, [this] { findNext(); });
}

void PlayListPanel::layOut(int h) {
    const int listWidth = duX(340);
    list_->setGeometry(duX(4), duY(4), listWidth, h - kListBottomGap - duY(4));
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list_);
    list_->setColumnWidths(listWidth - 50 - scrollBar, 46);
    showBox_->setGeometry(duX(4), h - kGroupsFromBottom, duX(168), 56);
    findBox_->setGeometry(duX(176), h - kGroupsFromBottom, duX(168), 56);
    for (std::size_t i = 0; i < buttons_.size(); ++i)
        buttons_[i]->setGeometry(duX(4 + 43 * static_cast<int>(i)), h - kButtonsFromBottom, duX(39), duY(28));
    progress_->setGeometry(duX(4), h - kButtonsFromBottom + 12, listWidth, 20);
}

void PlayListPanel::resizeEvent(QResizeEvent* event) {
    PanelDialog::resizeEvent(event);
    layOut(event->size().height());
}

void PlayListPanel::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange)
        keyboardShortcutsEnabled.store(isActiveWindow() ? 0 : 1, std::memory_order_relaxed);
    PanelDialog::changeEvent(event);
}

}  // namespace quillmix
