#pragma once
// The glyphs of the skin buttons as vector paths, in a box from -1 to 1 on both axes
// (y downwards). A glyph has a filled part and a stroked part; either may be empty.

#include <QPainterPath>
#include <QString>

#include <vector>

namespace quillmix::skins {

struct Glyph {
    QPainterPath fill;
    QPainterPath stroke;
};

// The face a button shows, by state.
enum class Face { Normal, Pressed, Disabled };

// One PNG of the set: its file name, the glyph and the face, and for a power button
// whether it shows its lit (on) colour.
struct SkinImage {
    QString name;
    Glyph glyph;
    Face face = Face::Normal;
    bool lit = false;
};

// Every image of the set, normal, pressed and (where the kind has one) disabled.
std::vector<SkinImage> allSkinImages();

}  // namespace quillmix::skins
