#include "ui/play_list_rows.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include "playlist/play_list_entry.h"
#include "playlist/play_list_model.h"

namespace quillmix {

PlayListRows::PlayListRows(PlayListModel& model, QObject* parent)
    : QAbstractTableModel(parent), model_(model), rows_(model.EntryCount()) {
    model_.SetView(this);
}

PlayListRows::~PlayListRows() { model_.SetView(nullptr); }

int PlayListRows::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

int PlayListRows::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 2; }

QVariant PlayListRows::data(const QModelIndex& index, int role) const {
    const int row = index.row();
    if (!index.isValid() || row >= model_.EntryCount()) return {};
    if (role == Qt::DisplayRole) {
        const std::string text = index.column() == filesColumn ? model_.RowName(row) : model_.RowTime(row);
        return QString::fromStdString(text);
    }
    if (role == Qt::DecorationRole && index.column() == filesColumn) return playListRowIcon(model_.RowIconIndex(row));
    if (role == Qt::TextAlignmentRole && index.column() == timeColumn)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (role == Qt::ToolTipRole) return QString::fromStdString(model_.Entry(row).path);
    return {};
}

QVariant PlayListRows::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    return section == filesColumn ? QStringLiteral("Files") : QStringLiteral("Time");
}

// After a change of the rows the list shows the model's selection again: the list moves
// its current row by itself when rows go away, which is not a selection the model made.
void PlayListRows::RowInserted(int row) {
    changing_ = true;
    beginInsertRows({}, row, row);
    ++rows_;
    endInsertRows();
    changing_ = false;
}

void PlayListRows::RowRemoved(int row) {
    if (row < 0 || row >= rows_) return;
    changing_ = true;
    beginRemoveRows({}, row, row);
    --rows_;
    endRemoveRows();
    changing_ = false;
    SelectRow(model_.SelectedRow());
}

void PlayListRows::RowChanged(int row) {
    if (row < 0 || row >= rows_) return;
    emit dataChanged(index(row, filesColumn), index(row, timeColumn));
}

void PlayListRows::RowsCleared() {
    changing_ = true;
    beginResetModel();
    rows_ = model_.EntryCount();
    endResetModel();
    changing_ = false;
    SelectRow(model_.SelectedRow());
}

void PlayListRows::DisplayModeChanged() {
    if (rows_ > 0) emit dataChanged(index(0, filesColumn), index(rows_ - 1, filesColumn), {Qt::DisplayRole});
}

void PlayListRows::ShowRow(int row) {
    if (showRow) showRow(row);
}

void PlayListRows::SelectRow(int row) {
    if (selectRow) selectRow(row);
}

namespace {

enum class Mark { current, plain, found, failed };

QPixmap drawRowIcon(QColor colour, Mark mark) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    switch (mark) {
        case Mark::current: {
            QPainterPath arrow;
            arrow.moveTo(3, 2);
            arrow.lineTo(14, 8);
            arrow.lineTo(3, 14);
            arrow.closeSubpath();
            p.fillPath(arrow, colour);
            break;
        }
        case Mark::plain:
            p.setPen(Qt::NoPen);
            p.setBrush(colour);
            p.drawEllipse(QPointF(8, 8), 3.5, 3.5);
            break;
        case Mark::found:
            p.setPen(QPen(colour, 2.5));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(QPointF(8, 8), 5.5, 5.5);
            p.setPen(Qt::NoPen);
            p.setBrush(colour);
            p.drawEllipse(QPointF(8, 8), 2.0, 2.0);
            break;
        case Mark::failed:
            p.setPen(QPen(colour, 3, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(4, 4), QPointF(12, 12));
            p.drawLine(QPointF(12, 4), QPointF(4, 12));
            break;
    }
    return pixmap;
}

}  // namespace

const QIcon& playListRowIcon(int index) {
    static const std::array<QIcon, 9> icons = [] {
        const QColor deckA(40, 110, 230), deckB(240, 140, 20), failed(210, 30, 30);
        return std::array<QIcon, 9>{
            QIcon(drawRowIcon(deckA, Mark::current)), QIcon(drawRowIcon(deckB, Mark::current)),
            QIcon(drawRowIcon(deckA, Mark::plain)),   QIcon(drawRowIcon(deckB, Mark::plain)),
            QIcon(drawRowIcon(deckA, Mark::plain)),   QIcon(drawRowIcon(deckB, Mark::plain)),
            QIcon(drawRowIcon(deckA, Mark::found)),   QIcon(drawRowIcon(deckB, Mark::found)),
            QIcon(drawRowIcon(failed, Mark::failed)),
        };
    }();
    static const QIcon none;
    return index >= 0 && index < static_cast<int>(icons.size()) ? icons[static_cast<std::size_t>(index)] : none;
}

}  // namespace quillmix
