#pragma once
// The rows of the play list as a Qt item model: row i shows entry i of PlayListModel, in
// two columns, "Files" (the display name in the model's display mode, with the row icon)
// and "Time" (the time text). It is also the model's PlayListView, so every change the
// model reports becomes the matching row signal; a display-mode change is one dataChanged
// over the "Files" column, which the list answers with a repaint of the visible rows.
//
// The row count it reports follows the notifications, not the model directly: the model
// reports a row after changing its entries, and Qt wants the old count until the insert or
// remove signal has begun.
//
// Window thread only.

#include <QAbstractTableModel>
#include <QIcon>

#include <array>
#include <functional>

#include "playlist/play_list_links.h"

namespace quillmix {

class PlayListModel;

class PlayListRows : public QAbstractTableModel, public PlayListView {
public:
    enum Column { filesColumn = 0, timeColumn = 1 };

    explicit PlayListRows(PlayListModel& model, QObject* parent = nullptr);
    ~PlayListRows() override;

    PlayListModel& model() const { return model_; }
    // True while rows are being inserted, removed or reset (the list's current row moves
    // by itself then, and must not be taken for a selection by the user).
    bool changing() const { return changing_; }

    // Where the list scrolls to and which row it selects when the model asks (-1: none).
    std::function<void(int row)> showRow;
    std::function<void(int row)> selectRow;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // PlayListView
    void RowInserted(int row) override;
    void RowRemoved(int row) override;
    void RowChanged(int row) override;
    void RowsCleared() override;
    void DisplayModeChanged() override;
    void ShowRow(int row) override;
    void SelectRow(int row) override;

private:
    PlayListModel& model_;
    int rows_ = 0;
    bool changing_ = false;
};

// The nine 16 x 16 row icons, by the model's icon index (kIconCurrentDeckA ...
// kIconLengthFailed); drawn once, on first use. Deck A is blue and deck B orange; the
// current entry shows a play arrow, a plain entry a dot, the found entry a ring, and a
// file that could not be measured a red cross. Indices 4 and 5 are spare dots.
const QIcon& playListRowIcon(int index);

}  // namespace quillmix
