#include "ui/play_list_controls.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QUrl>

namespace quillmix {

CZanListCtrl::CZanListCtrl(QWidget* parent) : QTreeView(parent) {
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);  // keeps scrolling and scrollTo cheap with thousands of rows
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setIconSize(QSize(16, 16));
    // Drops arrive at the viewport, which must take them itself; the view's own flag alone
    // lets them pass by.
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDropIndicatorShown(false);
    setDragDropMode(QAbstractItemView::DropOnly);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    header()->setSectionResizeMode(QHeaderView::Fixed);
}

void CZanListCtrl::setColumnWidths(int filesWidth, int timeWidth) {
    header()->setSectionResizeMode(QHeaderView::Fixed);
    setColumnWidth(0, filesWidth);
    setColumnWidth(1, timeWidth);
}

std::vector<std::string> CZanListCtrl::localPaths(const QList<QUrl>& urls) {
    std::vector<std::string> paths;
    for (const QUrl& url : urls) {
        if (url.isLocalFile() && !url.toLocalFile().isEmpty()) paths.push_back(url.toLocalFile().toStdString());
    }
    return paths;
}

void CZanListCtrl::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls() && !localPaths(event->mimeData()->urls()).empty()) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void CZanListCtrl::dragMoveEvent(QDragMoveEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void CZanListCtrl::dropEvent(QDropEvent* event) {
    const std::vector<std::string> paths =
        event->mimeData()->hasUrls() ? localPaths(event->mimeData()->urls()) : std::vector<std::string>{};
    if (paths.empty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    if (onDropFiles) onDropFiles(paths);
}

void CZanEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        if (onEnter) onEnter();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

}  // namespace quillmix
