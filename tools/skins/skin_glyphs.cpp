#include "skin_glyphs.h"

#include <QPolygonF>

#include <utility>

namespace quillmix::skins {

namespace {

QPainterPath polygon(std::initializer_list<QPointF> points) {
    QPainterPath path;
    path.addPolygon(QPolygonF(QList<QPointF>(points)));
    path.closeSubpath();
    return path;
}

// A triangle pointing right (dir 1) or left (dir -1), centred on x = cx.
QPainterPath triangle(double cx, int dir, double halfWidth = 0.45) {
    const double back = cx - dir * halfWidth;
    const double tip = cx + dir * halfWidth;
    return polygon({{back, -0.6}, {tip, 0.0}, {back, 0.6}});
}

QPainterPath bar(double cx, double halfWidth = 0.1) {
    QPainterPath path;
    path.addRect(QRectF(cx - halfWidth, -0.6, 2 * halfWidth, 1.2));
    return path;
}

QPainterPath plus(double cx, double cy, double r) {
    QPainterPath path;
    path.moveTo(cx - r, cy);
    path.lineTo(cx + r, cy);
    path.moveTo(cx, cy - r);
    path.lineTo(cx, cy + r);
    return path;
}

// An arrow along the y axis pointing up (dir -1) or down (dir 1), centred on x = cx.
QPainterPath verticalArrow(double cx, int dir) {
    return polygon({{cx, dir * 0.7},
                    {cx + 0.5, dir * 0.1},
                    {cx + 0.18, dir * 0.1},
                    {cx + 0.18, -dir * 0.65},
                    {cx - 0.18, -dir * 0.65},
                    {cx - 0.18, dir * 0.1},
                    {cx - 0.5, dir * 0.1}});
}

// An arrow along the x axis pointing right (dir 1) or left (dir -1), on the line y = cy.
QPainterPath horizontalArrow(double cy, int dir) {
    return polygon({{dir * 0.8, cy},
                    {dir * 0.35, cy - 0.3},
                    {dir * 0.35, cy - 0.1},
                    {-dir * 0.7, cy - 0.1},
                    {-dir * 0.7, cy + 0.1},
                    {dir * 0.35, cy + 0.1},
                    {dir * 0.35, cy + 0.3}});
}

Glyph page() {
    Glyph g;
    g.stroke.moveTo(-0.45, -0.7);
    g.stroke.lineTo(0.15, -0.7);
    g.stroke.lineTo(0.45, -0.4);
    g.stroke.lineTo(0.45, 0.7);
    g.stroke.lineTo(-0.45, 0.7);
    g.stroke.closeSubpath();
    g.stroke.addPath(plus(0.0, 0.1, 0.25));
    return g;
}

Glyph folder() {
    Glyph g;
    g.stroke.moveTo(-0.75, -0.5);
    g.stroke.lineTo(-0.3, -0.5);
    g.stroke.lineTo(-0.15, -0.32);
    g.stroke.lineTo(0.75, -0.32);
    g.stroke.lineTo(0.75, 0.6);
    g.stroke.lineTo(-0.75, 0.6);
    g.stroke.closeSubpath();
    g.stroke.addPath(plus(0.0, 0.14, 0.25));
    return g;
}

Glyph cross(double r) {
    Glyph g;
    g.stroke.moveTo(-r, -r);
    g.stroke.lineTo(r, r);
    g.stroke.moveTo(r, -r);
    g.stroke.lineTo(-r, r);
    return g;
}

Glyph crossedList() {
    Glyph g = cross(0.3);
    g.stroke.translate(0.4, 0.25);
    for (double y : {-0.55, -0.2, 0.15}) {
        g.stroke.moveTo(-0.75, y);
        g.stroke.lineTo(y < 0.0 ? 0.45 : -0.05, y);
    }
    return g;
}

Glyph save() {
    Glyph g;
    g.fill = verticalArrow(0.0, 1);
    g.fill.translate(0.0, -0.15);
    g.stroke.moveTo(-0.7, 0.25);
    g.stroke.lineTo(-0.7, 0.7);
    g.stroke.lineTo(0.7, 0.7);
    g.stroke.lineTo(0.7, 0.25);
    return g;
}

Glyph power() {
    Glyph g;
    const QRectF ring(-0.62, -0.55, 1.24, 1.24);  // open at the top, round the bottom
    g.stroke.arcMoveTo(ring, 120.0);
    g.stroke.arcTo(ring, 120.0, 300.0);
    g.stroke.moveTo(0.0, -0.75);
    g.stroke.lineTo(0.0, 0.0);
    return g;
}

Glyph filled(QPainterPath path) {
    Glyph g;
    g.fill = std::move(path);
    return g;
}

// The glyph of each kind, by the stem of its file names.
std::vector<std::pair<QString, Glyph>> kinds() {
    return {
        {"reverse", filled(triangle(0.0, -1, 0.5))},
        {"rewind", filled(triangle(-0.42, -1).united(triangle(0.42, -1)))},
        {"fastForward", filled(triangle(-0.42, 1).united(triangle(0.42, 1)))},
        {"nextTrack", filled(triangle(-0.15, 1).united(bar(0.5)))},
        {"previousTrack", filled(bar(-0.5).united(triangle(0.15, -1)))},
        {"playPause", filled(triangle(-0.4, 1, 0.38).united(bar(0.3, 0.09)).united(bar(0.62, 0.09)))},
        {"addFile", page()},
        {"addFolder", folder()},
        {"delete", cross(0.45)},
        {"deleteAll", crossedList()},
        {"save", save()},
        {"deckSwap", filled(horizontalArrow(-0.32, 1).united(horizontalArrow(0.32, -1)))},
        {"moveUp", filled(verticalArrow(0.0, -1))},
        {"moveDown", filled(verticalArrow(0.0, 1))},
    };
}

}  // namespace

std::vector<SkinImage> allSkinImages() {
    const QStringList withDisabled{"reverse", "rewind", "fastForward", "playPause"};
    std::vector<SkinImage> images;
    for (auto& [stem, glyph] : kinds()) {
        images.push_back({stem + ".png", glyph, Face::Normal, false});
        images.push_back({stem + "Selected.png", glyph, Face::Pressed, false});
        if (withDisabled.contains(stem)) images.push_back({stem + "Disabled.png", glyph, Face::Disabled, false});
    }
    for (bool on : {true, false}) {
        const QString stem = on ? "powerOn" : "powerOff";
        images.push_back({stem + ".png", power(), Face::Normal, on});
        images.push_back({stem + "Selected.png", power(), Face::Pressed, on});
    }
    return images;
}

}  // namespace quillmix::skins
