#pragma once
// Every modal dialog the panels open goes through this seam: file, folder and save dialogs,
// message boxes, the OK/Cancel question and the deck selector. The program uses the real
// dialogs; tests install a fake that answers at once, so no test ever blocks in a modal
// loop.
//
// Window thread only. A modal dialog runs a nested event loop: the caller must expect any
// handler, a close included, to run before it returns (the main window defers a close).

#include <QString>
#include <QStringList>

#include <optional>

#include "playlist/deck_choice.h"

class QWidget;

namespace quillmix {

class DialogSeam {
public:
    virtual ~DialogSeam() = default;
    // Files to open (empty when cancelled), in the order the dialog gives them.
    virtual QStringList openFiles(QWidget* parent, const QString& title, const QString& filter) = 0;
    // A file to save to; empty when cancelled.
    virtual QString saveFile(QWidget* parent, const QString& title, const QString& filter,
                             const QString& suggestedName) = 0;
    // A folder; empty when cancelled.
    virtual QString chooseFolder(QWidget* parent, const QString& title) = 0;
    // A message with an OK button.
    virtual void showMessage(QWidget* parent, const QString& title, const QString& text) = 0;
    // OK (true) or Cancel (false).
    virtual bool askOkCancel(QWidget* parent, const QString& title, const QString& text) = 0;
    // The deck selector ("Select Deck"): the choice, or nothing when cancelled.
    virtual std::optional<DeckChoice> selectDeck(QWidget* parent) = 0;
};

// The seam in use: the real dialogs unless a test installed another. setDialogSeam(nullptr)
// restores the real one.
DialogSeam& dialogSeam();
void setDialogSeam(DialogSeam* seam);

// The real dialogs; the deck selector is CZanDeckSelector.
class RealDialogs : public DialogSeam {
public:
    QStringList openFiles(QWidget* parent, const QString& title, const QString& filter) override;
    QString saveFile(QWidget* parent, const QString& title, const QString& filter,
                     const QString& suggestedName) override;
    QString chooseFolder(QWidget* parent, const QString& title) override;
    void showMessage(QWidget* parent, const QString& title, const QString& text) override;
    bool askOkCancel(QWidget* parent, const QString& title, const QString& text) override;
    std::optional<DeckChoice> selectDeck(QWidget* parent) override;
};

}  // namespace quillmix
