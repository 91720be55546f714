#include "ui/deck_selector.h"

#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QRect>

#include "ui/panel_dialog.h"
#include "ui/widgets/widget_support.h"

namespace quillmix {

namespace {
// A rectangle of the dialog layout, given in dialog units.
QRect du(int x, int y, int w, int h) {
    const QSize origin = dialogUnits(x, y), size = dialogUnits(w, h);
    return {origin.width(), origin.height(), size.width(), size.height()};
}
}  // namespace

CZanDeckSelector::CZanDeckSelector(QWidget* parent) : QDialog(parent) {
    setWindowTitle("Select Deck");
    setFixedSize(dialogUnits(186, 95));
    auto* box = new QGroupBox("Choices", this);
    box->setGeometry(du(7, 7, 110, 81));
    QRadioButton* deckA = addChoice(box, "Deck A", kDeckAId, DeckChoice::deckA);
    addChoice(box, "Deck B", kDeckBId, DeckChoice::deckB)->move(du(10, 38, 0, 0).topLeft());
    addChoice(box, "Switch", kSwitchId, DeckChoice::alternate)->move(du(10, 58, 0, 0).topLeft());
    deckA->move(du(10, 18, 0, 0).topLeft());
    deckA->setChecked(true);

    auto* ok = new QPushButton("OK", this);
    ok->setGeometry(du(129, 7, 50, 14));
    ok->setDefault(true);
    setControlId(*ok, 1);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* cancel = new QPushButton("Cancel", this);
    cancel->setGeometry(du(129, 24, 50, 14));
    setControlId(*cancel, 2);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

QRadioButton* CZanDeckSelector::addChoice(QWidget* box, const char* text, int id, DeckChoice value) {
    auto* radio = new QRadioButton(text, box);
    radio->resize(du(0, 0, 90, 12).size());
    setControlId(*radio, id);
    connect(radio, &QRadioButton::clicked, this, [this, value] { choice_ = value; });
    return radio;
}

}  // namespace quillmix
