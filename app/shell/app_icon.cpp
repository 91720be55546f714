#include "app/shell/app_icon.h"

#include <QPainter>
#include <QPixmap>

#include "app/shared_state.h"

namespace quillmix {

namespace {
QColor fromBgr(std::uint32_t bgr) { return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF); }
}  // namespace

QIcon applicationIcon() {
    QIcon icon;
    for (int size : {16, 32, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(30, 30, 34));
        p.drawEllipse(QRectF(0.5, 0.5, size - 1, size - 1));
        p.setBrush(fromBgr(deckColor[0] ? deckColor[0] : 0x00FFABCD));
        p.drawPie(QRectF(size * 0.2, size * 0.2, size * 0.6, size * 0.6), 90 * 16, 180 * 16);
        p.setBrush(fromBgr(deckColor[1] ? deckColor[1] : 0x00ABCDFF));
        p.drawPie(QRectF(size * 0.2, size * 0.2, size * 0.6, size * 0.6), 270 * 16, 180 * 16);
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace quillmix
