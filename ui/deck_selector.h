#pragma once
// The deck selector ("Select Deck"): the small modal dialog that asks which deck the files
// or the folder being added to the play list go to. "Deck A" is checked when it opens;
// "Deck B" and "Switch" (A, B, A, ... from the first path on) are the other choices. OK
// keeps the choice, Cancel means nothing is added.
//
// Window thread only. Controls are named by their ids: "Deck A" 1098, "Deck B" 1099,
// "Switch" 1100, OK 1, Cancel 2.

#include <QDialog>

#include "playlist/deck_choice.h"

class QRadioButton;

namespace quillmix {

class CZanDeckSelector : public QDialog {
public:
    explicit CZanDeckSelector(QWidget* parent = nullptr);

    // What the radio buttons say now (Deck A until another is clicked).
    DeckChoice choice() const { return choice_; }

    static constexpr int kDeckAId = 1098;
    static constexpr int kDeckBId = 1099;
    static constexpr int kSwitchId = 1100;

private:
    QRadioButton* addChoice(QWidget* box, const char* text, int id, DeckChoice value);

    DeckChoice choice_ = DeckChoice::deckA;
};

}  // namespace quillmix
