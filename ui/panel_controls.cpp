#include "ui/panel_controls.h"

#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QSlider>

#include "ui/panel_dialog.h"
#include "ui/widgets/zan_button_ctrl.h"

namespace quillmix {

QRect dialogRect(int x, int y, int width, int height) {
    const QSize origin = dialogUnits(x, y), size = dialogUnits(width, height);
    return {origin.width(), origin.height(), size.width(), size.height()};
}

namespace {
template <typename Control>
Control* placed(Control* control, int controlId, QRect units) {
    if (controlId != 0) control->setObjectName(QString::number(controlId));
    control->setGeometry(dialogRect(units.x(), units.y(), units.width(), units.height()));
    return control;
}
}  // namespace

QGroupBox* addGroup(QWidget* panel, int controlId, const QString& title, QRect units) {
    auto* group = placed(new QGroupBox(title, panel), controlId, units);
    group->lower();  // a frame stays behind the controls it surrounds
    return group;
}

QRadioButton* addRadio(QWidget* panel, int controlId, const QString& text, QRect units) {
    return placed(new QRadioButton(text, panel), controlId, units);
}

QLabel* addText(QWidget* panel, int controlId, QRect units) {
    auto* label = placed(new QLabel(panel), controlId, units);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    return label;
}

QSlider* addVerticalSlider(QWidget* panel, int controlId, int minimum, int maximum, QRect units) {
    auto* slider = placed(new QSlider(Qt::Vertical, panel), controlId, units);
    slider->setRange(minimum, maximum);
    slider->setInvertedAppearance(true);  // the minimum at the top
    slider->setInvertedControls(true);
    return slider;
}

CZanButtonCtrl* addPowerButton(QWidget* panel, int controlId, QRect units) {
    auto* button = placed(new CZanButtonCtrl(panel, controlId), controlId, units);
    button->setKind(ButtonKind::Power);
    button->setCheckable(true);
    button->setText("On");
    return button;
}

void keepKeysOnPanel(QWidget* panel) {
    for (QWidget* child : panel->findChildren<QWidget*>()) child->setFocusPolicy(Qt::NoFocus);
    panel->setFocusPolicy(Qt::StrongFocus);
}

}  // namespace quillmix
