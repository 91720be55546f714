#include "ui/dialog_seam.h"

#include <QFileDialog>
#include <QMessageBox>

#include "ui/deck_selector.h"

namespace quillmix {

namespace {
DialogSeam* installed = nullptr;
}  // namespace

DialogSeam& dialogSeam() {
    static RealDialogs real;
    return installed ? *installed : real;
}

void setDialogSeam(DialogSeam* seam) { installed = seam; }

QStringList RealDialogs::openFiles(QWidget* parent, const QString& title, const QString& filter) {
    return QFileDialog::getOpenFileNames(parent, title, QString(), filter);
}

QString RealDialogs::saveFile(QWidget* parent, const QString& title, const QString& filter,
                              const QString& suggestedName) {
    return QFileDialog::getSaveFileName(parent, title, suggestedName, filter);
}

QString RealDialogs::chooseFolder(QWidget* parent, const QString& title) {
    return QFileDialog::getExistingDirectory(parent, title);
}

void RealDialogs::showMessage(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox::information(parent, title, text);
}

bool RealDialogs::askOkCancel(QWidget* parent, const QString& title, const QString& text) {
    return QMessageBox::question(parent, title, text, QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}

std::optional<DeckChoice> RealDialogs::selectDeck(QWidget* parent) {
    CZanDeckSelector selector(parent);
    if (selector.exec() != QDialog::Accepted) return std::nullopt;
    return selector.choice();
}

}  // namespace quillmix
