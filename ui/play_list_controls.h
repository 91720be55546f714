#pragma once
// The two controls of the play list panel with behaviour of their own:
//   - CZanListCtrl: the report list of the entries. Its two columns keep the widths the
//     panel gives them (the user cannot resize them), and it takes files dropped from a
//     file manager, reporting their local paths in drop order.
//   - CZanEdit: the find box. Enter stays in the box (it never reaches the panel, where it
//     would act as a key of the mixer) and runs the find.
//
// Window thread only.

#include <QLineEdit>
#include <QTreeView>

#include <functional>
#include <string>
#include <vector>

namespace quillmix {

class CZanListCtrl : public QTreeView {
public:
    explicit CZanListCtrl(QWidget* parent = nullptr);

    // Sets the width of each column; the header refuses any other width.
    void setColumnWidths(int filesWidth, int timeWidth);

    // Called with the local paths of a drop (files and folders), in drop order. Drops that
    // carry no local file are refused.
    std::function<void(const std::vector<std::string>& paths)> onDropFiles;

    // The local paths a drop of `urls` carries, in order; remote URLs are passed over.
    static std::vector<std::string> localPaths(const QList<QUrl>& urls);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};

class CZanEdit : public QLineEdit {
public:
    explicit CZanEdit(QWidget* parent = nullptr) : QLineEdit(parent) {}

    // Called when Enter is pressed in the box.
    std::function<void()> onEnter;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace quillmix
