#pragma once
// The deck choice made when files or a folder are added to the play list ("Deck A",
// "Deck B" or "Switch"), and the deck each added path gets from it.

#include <cstdint>

namespace quillmix {

// The values are those of the deck selector's `choice` field; "Deck A" is its default.
enum class DeckChoice : std::int32_t { deckA = 0, deckB = 1, alternate = 2 };

// Hands out the deck for each added path in turn: always A, always B, or A, B, A, ...
// starting with A. One assigner per add (a "+ File" confirmation or a folder scan).
class DeckAssigner {
public:
    explicit DeckAssigner(DeckChoice choice = DeckChoice::deckA) : choice_(choice) {}

    int NextDeck() {
        switch (choice_) {
            case DeckChoice::deckA: deck_ = 0; break;
            case DeckChoice::deckB: deck_ = 1; break;
            case DeckChoice::alternate: deck_ = 1 - deck_; break;
        }
        return deck_;
    }

    DeckChoice choice() const { return choice_; }

private:
    DeckChoice choice_;
    int deck_ = 1;  // so that Switch starts with deck A
};

}  // namespace quillmix
