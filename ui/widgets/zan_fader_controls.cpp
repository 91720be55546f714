#include "ui/widgets/zan_fader_controls.h"

#include <QPainter>
#include <QPainterPath>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTimerEvent>

#include <algorithm>
#include <cmath>

#include "app/message_catalogue.h"
#include "app/shared_state.h"
#include "ui/widgets/widget_support.h"

namespace quillmix {

// ---- CZanCrossFaderCtrl ----

CZanCrossFaderCtrl::CZanCrossFaderCtrl(QWidget* parent, int controlId) : QSlider(Qt::Horizontal, parent) {
    setControlId(*this, controlId);
    setRange(-kSliderScale, kSliderScale);
}

void CZanCrossFaderCtrl::SetCueMark(double mark) {
    if (std::isnan(mark)) return;
    mark = std::clamp(mark, -1.0, 1.0);
    if (mark == cueMark_) return;
    cueMark_ = mark;
    update();
}

void CZanCrossFaderCtrl::StartFaderCueing() { timer_.start(kTimerIntervalMs, this); }

void CZanCrossFaderCtrl::StopFaderCueing() { timer_.stop(); }

void CZanCrossFaderCtrl::timerEvent(QTimerEvent* event) {
    if (event->timerId() != timer_.timerId()) return QSlider::timerEvent(event);
    if (!tick_) return;
    const std::optional<int> deck = tick_(value(), cueMark_);
    if (deck && (*deck == kDeckA || *deck == kDeckB))
        postIfSet(deckWindows_[static_cast<std::size_t>(*deck)], UWM_FADER_START, static_cast<WParam>(*deck));
}

// The slider as the style draws it, and the cue mark as a small red wedge under the
// groove where the handle's centre would sit at the mark.
void CZanCrossFaderCtrl::paintEvent(QPaintEvent* event) {
    QSlider::paintEvent(event);
    QStyleOptionSlider option;
    initStyleOption(&option);
    const QRect groove = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
    const QRect handle = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
    const int span = groove.width() - handle.width();
    const int markValue = static_cast<int>(std::lround(cueMark_ * kSliderScale));
    const double x = groove.left() + handle.width() / 2.0 +
                     QStyle::sliderPositionFromValue(minimum(), maximum(), markValue, std::max(span, 0));
    const double y = height() - 1.0;
    const double size = std::max(3.0, height() / 5.0);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(220, 30, 30));
    const QPointF wedge[3] = {{x, y - size}, {x - size, y}, {x + size, y}};
    painter.drawPolygon(wedge, 3);
}

// ---- CZanCrossFadeCurveGraph ----

CZanCrossFadeCurveGraph::CZanCrossFadeCurveGraph(QWidget* parent, int controlId) : QWidget(parent) {
    setControlId(*this, controlId);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CZanCrossFadeCurveGraph::SetPoint(int deck, int index, double value) {
    if (deck < 0 || deck > 1 || index < 0 || index >= kPoints) return;
    double& point = curves_[static_cast<std::size_t>(deck)][static_cast<std::size_t>(index)];
    if (point == value) return;
    point = value;
    update();
}

void CZanCrossFadeCurveGraph::setCurves(const Curve& deckA, const Curve& deckB) {
    if (curves_[0] == deckA && curves_[1] == deckB) return;
    curves_ = {deckA, deckB};
    update();
}

void CZanCrossFadeCurveGraph::setDeckColors(std::uint32_t bgrA, std::uint32_t bgrB) {
    const std::array<QColor, 2> colors{colorFromBgr(bgrA), colorFromBgr(bgrB)};
    if (colors == colors_) return;
    colors_ = colors;
    update();
}

// Point i of a curve lies at x = i x W / 99, y = H - H x value: full gain on the top edge.
void CZanCrossFadeCurveGraph::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    painter.setRenderHint(QPainter::Antialiasing);
    const double step = width() / static_cast<double>(kPoints);
    const double h = height();
    for (std::size_t deck = 0; deck < 2; ++deck) {
        std::array<QPointF, kPoints> points;
        for (std::size_t i = 0; i < points.size(); ++i)
            points[i] = QPointF(static_cast<double>(i) * step, h - h * curves_[deck][i]);
        painter.setPen(QPen(colors_[deck], 2.0));
        painter.drawPolyline(points.data(), kPoints);
    }
}

// ---- CZanColorSquare ----

CZanColorSquare::CZanColorSquare(QWidget* parent, int controlId) : QWidget(parent) {
    setControlId(*this, controlId);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CZanColorSquare::setComponent(int index, int value) {
    value = std::clamp(value, 0, 255);
    if (rgb_[static_cast<std::size_t>(index)] == value) return;
    rgb_[static_cast<std::size_t>(index)] = value;
    update();
}

void CZanColorSquare::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), color());
}

// ---- CZanLevelMeter ----

CZanLevelMeter::CZanLevelMeter(QWidget* parent, int controlId) : QWidget(parent) {
    setControlId(*this, controlId);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CZanLevelMeter::setSteps(int steps) {
    steps = std::max(steps, 1);
    if (steps == steps_) return;
    steps_ = steps;
    level_ = std::min(level_, steps_);
    update();
}

void CZanLevelMeter::setLevel(int level) {
    level = std::clamp(level, 0, steps_);
    if (level == level_) return;
    level_ = level;
    update();
}

// Segments from the bottom: the lower 60 % green, then amber, the top 10 % red; unlit
// segments are a dim shade of theirs.
void CZanLevelMeter::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    const double segment = height() / static_cast<double>(steps_);
    for (int i = 0; i < steps_; ++i) {
        const double fraction = (i + 1.0) / steps_;
        QColor color = fraction <= 0.6   ? QColor(40, 210, 70)
                       : fraction <= 0.9 ? QColor(240, 180, 30)
                                         : QColor(230, 40, 40);
        if (i >= level_) color = color.darker(400);
        const QRectF cell(1.0, height() - (i + 1) * segment + 1.0, width() - 2.0, segment - 2.0);
        painter.fillRect(cell, color);
    }
}

}  // namespace quillmix
