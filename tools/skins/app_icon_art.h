#pragma once
// The application icon's art: a dark platter holding a disc split in the two deck colours.
// Shared by the program (its window icon, in the user's deck colours) and by quillmix-skins
// (the installed theme icons, in the default colours). Pure painting on an image: any
// thread, no application object needed.
#include <QColor>
#include <QImage>

namespace quillmix::skins {

// The deck colours a fresh installation starts with.
QColor defaultIconDeckColor(int deck);

// A square transparent image of `size` pixels.
QImage drawApplicationIcon(int size, const QColor& deckA, const QColor& deckB);

}  // namespace quillmix::skins
