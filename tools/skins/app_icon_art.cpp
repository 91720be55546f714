#include "app_icon_art.h"

#include <QPainter>

namespace quillmix::skins {

QColor defaultIconDeckColor(int deck) { return deck == 0 ? QColor(0xCD, 0xAB, 0xFF) : QColor(0xFF, 0xCD, 0xAB); }

QImage drawApplicationIcon(int size, const QColor& deckA, const QColor& deckB) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 30, 34));
    p.drawEllipse(QRectF(0.5, 0.5, size - 1, size - 1));
    const QRectF disc(size * 0.2, size * 0.2, size * 0.6, size * 0.6);
    p.setBrush(deckA);
    p.drawPie(disc, 90 * 16, 180 * 16);
    p.setBrush(deckB);
    p.drawPie(disc, 270 * 16, 180 * 16);
    return image;
}

}  // namespace quillmix::skins
