#include "app/shell/app_icon.h"

#include <QPixmap>

#include "app/shared_state.h"
#include "tools/skins/app_icon_art.h"

namespace quillmix {

namespace {
QColor fromBgr(std::uint32_t bgr) { return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF); }

QColor deckIconColor(int deck) {
    return deckColor[deck] ? fromBgr(deckColor[deck]) : skins::defaultIconDeckColor(deck);
}
}  // namespace

QIcon applicationIcon() {
    QIcon icon;
    for (int size : {16, 32, 48})
        icon.addPixmap(QPixmap::fromImage(skins::drawApplicationIcon(size, deckIconColor(0), deckIconColor(1))));
    return icon;
}

}  // namespace quillmix
