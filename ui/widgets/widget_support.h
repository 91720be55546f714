#pragma once
// What every self-drawn control shares: the folder and cache of skin images, the face
// colour behind them, deck colours, control ids as object names, and where a control's
// messages go.
//
// Threads: window thread only (the image cache is not locked).

#include <QColor>
#include <QImage>
#include <QString>

#include <cstdint>

#include "platform/messaging.h"

class QWidget;

namespace quillmix {

// The folder skin images are read from, unless set: the program's own folder when they sit
// beside it, else <program folder>/../share/quillmix/skins (an installation). Setting it
// empties the image cache.
QString skinFolder();
// The skin folder of a program in `programFolder`: that folder when the images sit beside
// the program (a build folder), else the installed data folder beside its bin folder, so
// that an installation works wherever its prefix is.
QString skinFolderFor(const QString& programFolder);
void setSkinFolder(const QString& folder);

// The image file `name` of the skin folder, read from disk on first use and kept; a file
// that is missing or unreadable gives a null image (also kept, so a missing file costs one
// look-up, not one per paint).
const QImage& skinImage(const QString& name);

// The colour of button faces in the control's palette; drawn under every skin image.
QColor faceColor(const QWidget& control);

// A deck colour as stored (0x00BBGGRR) and as painted.
QColor colorFromBgr(std::uint32_t bgr);

// A colour with each component multiplied by `factor`, clamped to 0 .. 1 first (a NaN
// factor counts as 0), so a louder chunk glows brighter and nothing goes out of range.
QColor scaledColor(const QColor& color, double factor);

// The panel names each control by its numeric id; 0 leaves the name unset.
void setControlId(QWidget& control, int controlId);

// Posts to `target` when it is set; a control without a target stays silent.
void postIfSet(WindowHandle target, unsigned message, WParam wParam, LParam lParam = 0);

}  // namespace quillmix
