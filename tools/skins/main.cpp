// quillmix-skins OUTPUT_FOLDER: draws every skin image of the buttons as a PNG file in the
// folder. quillmix-skins --icons OUTPUT_FOLDER: draws the application icon in the theme
// sizes, as OUTPUT_FOLDER/hicolor/<N>x<N>/apps/quillmix.png. Our own design: a rounded slate face with a light glyph;
// pressed faces are sunk, edged and lit amber; disabled faces are flat grey; a power button glows green when on. Exit
// status 1 when a file cannot be written.
#include <QDir>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>

#include <cstdio>

#include "app_icon_art.h"
#include "skin_glyphs.h"

using namespace quillmix::skins;

namespace {

constexpr int kWidth = 96;
constexpr int kHeight = 64;
constexpr double kGlyphScale = 19.0;  // pixels per glyph unit

struct Palette {
    QColor top, bottom, edge, glyph;
};

Palette paletteFor(Face face, bool lit) {
    Palette p;
    switch (face) {
        case Face::Normal:
            p = {QColor(0x46, 0x53, 0x66), QColor(0x23, 0x2b, 0x36), QColor(0x6a, 0x78, 0x8c),
                 QColor(0xe8, 0xee, 0xf5)};
            break;
        case Face::Pressed:
            p = {QColor(0x1a, 0x20, 0x29), QColor(0x2c, 0x35, 0x42), QColor(0xf0, 0xa0, 0x30),
                 QColor(0xff, 0xb3, 0x47)};
            break;
        case Face::Disabled:
            p = {QColor(0x5c, 0x60, 0x67), QColor(0x4b, 0x4f, 0x55), QColor(0x6e, 0x72, 0x79),
                 QColor(0x8c, 0x91, 0x98)};
            break;
    }
    if (lit) p.glyph = face == Face::Pressed ? QColor(0x4c, 0xc0, 0x5a) : QColor(0x72, 0xe8, 0x7e);
    return p;
}

void drawFace(QPainter& painter, const Palette& p) {
    const QRectF face(2.0, 2.0, kWidth - 4.0, kHeight - 4.0);
    QLinearGradient gradient(face.topLeft(), face.bottomLeft());
    gradient.setColorAt(0.0, p.top);
    gradient.setColorAt(1.0, p.bottom);
    painter.setPen(QPen(p.edge, 2.0));
    painter.setBrush(gradient);
    painter.drawRoundedRect(face, 10.0, 10.0);
}

void drawGlyph(QPainter& painter, const SkinImage& image, const Palette& p) {
    painter.save();
    const double sink = image.face == Face::Pressed ? 1.0 : 0.0;
    painter.translate(kWidth / 2.0 + sink, kHeight / 2.0 + sink);
    painter.scale(kGlyphScale, kGlyphScale);
    if (image.lit && image.face == Face::Normal) {  // a soft halo under a lit glyph
        QColor halo = p.glyph;
        halo.setAlpha(70);
        painter.setPen(QPen(halo, 0.42, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(image.glyph.stroke);
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(p.glyph);
    painter.drawPath(image.glyph.fill);
    painter.setPen(QPen(p.glyph, 0.17, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(image.glyph.stroke);
    painter.restore();
}

QImage render(const SkinImage& image) {
    QImage out(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    QPainter painter(&out);
    painter.setRenderHint(QPainter::Antialiasing);
    const Palette p = paletteFor(image.face, image.lit);
    drawFace(painter, p);
    drawGlyph(painter, image, p);
    return out;
}

bool makeFolder(const QDir& folder) {
    if (folder.exists() || QDir().mkpath(folder.path())) return true;
    std::fprintf(stderr, "quillmix-skins: cannot create %s\n", qPrintable(folder.path()));
    return false;
}

bool save(const QImage& image, const QString& path) {
    if (image.save(path, "PNG")) return true;
    std::fprintf(stderr, "quillmix-skins: cannot write %s\n", qPrintable(path));
    return false;
}

int drawIcons(const QDir& folder) {
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QDir apps(folder.filePath(QString("hicolor/%1x%1/apps").arg(size)));
        const QImage icon = drawApplicationIcon(size, defaultIconDeckColor(0), defaultIconDeckColor(1));
        if (!makeFolder(apps) || !save(icon, apps.filePath("quillmix.png"))) return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const bool icons = argc == 3 && QString(argv[1]) == "--icons";
    if (argc != 2 && !icons) {
        std::fprintf(stderr, "usage: quillmix-skins [--icons] OUTPUT_FOLDER\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[argc - 1]));
    if (!makeFolder(folder)) return 1;
    if (icons) return drawIcons(folder);
    for (const SkinImage& image : allSkinImages())
        if (!save(render(image), folder.filePath(image.name))) return 1;
    return 0;
}
