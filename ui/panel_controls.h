#pragma once
// Building blocks of the panels' control layouts: rectangles in dialog units (the panel
// templates' coordinates), standard controls named by their numeric id, and the rule that
// keys typed into a panel reach the panel (and through it the mixer's shortcuts) rather than
// a slider or radio button that happens to hold the focus.
//
// Threads: window thread only.

#include <QRect>
#include <QString>

class QAbstractButton;
class QGroupBox;
class QLabel;
class QRadioButton;
class QSlider;
class QWidget;

namespace quillmix {

class CZanButtonCtrl;

// A rectangle given in dialog units, in pixels (see dialogUnits).
QRect dialogRect(int x, int y, int width, int height);

// Controls placed at a rectangle in dialog units; `controlId` 0 leaves the name unset.
QGroupBox* addGroup(QWidget* panel, int controlId, const QString& title, QRect units);
QRadioButton* addRadio(QWidget* panel, int controlId, const QString& text, QRect units);
QLabel* addText(QWidget* panel, int controlId, QRect units);
// A vertical slider whose minimum is at the top, as the panel templates have them.
QSlider* addVerticalSlider(QWidget* panel, int controlId, int minimum, int maximum, QRect units);
// The skinned on/off button: a checkable power button captioned "On".
CZanButtonCtrl* addPowerButton(QWidget* panel, int controlId, QRect units);

// Keeps the keyboard focus on the panel itself: every child control is operated by the
// mouse only, so key presses and releases reach PanelDialog's forwarding.
void keepKeysOnPanel(QWidget* panel);

}  // namespace quillmix
