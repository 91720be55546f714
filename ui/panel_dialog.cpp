#include "ui/panel_dialog.h"

#include <QKeyEvent>

namespace quillmix {

QSize dialogUnits(int width, int height) { return QSize(width * 3 / 2, height * 13 / 8); }

PanelDialog::PanelDialog(QWidget* parent, const QString& title, QSize size)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint) {
    setWindowTitle(title);
    setFixedSize(size);
}

MessageResult PanelDialog::handleMessage(unsigned, WParam, LParam) { return 0; }

void PanelDialog::keyPressEvent(QKeyEvent* event) {
    (keyTarget_ ? keyTarget_ : this)->onWindowKey(event);
    // Enter and Escape would end a dialog; a panel is never ended by a key.
    event->accept();
}

void PanelDialog::keyReleaseEvent(QKeyEvent* event) {
    (keyTarget_ ? keyTarget_ : this)->onWindowKey(event);
    event->accept();
}

}  // namespace quillmix
