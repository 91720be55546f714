#include "ui/widgets/zan_circular_chart_graph.h"

#include <QMouseEvent>
#include <QPainter>
#include <QTimerEvent>

#include <cmath>
#include <numbers>

#include "app/message_catalogue.h"
#include "ui/widgets/widget_support.h"

namespace quillmix {

namespace {

constexpr float kPi = std::numbers::pi_v<float>;
constexpr double kFullScale = 32767.0;

// cos and sin of the 50 segment angles t_j = 2 pi j / 50 - pi.
struct AngleTable {
    std::array<double, CZanCircularChartGraph::kChartLength> cosine{}, sine{};
    AngleTable() {
        for (int j = 0; j < CZanCircularChartGraph::kChartLength; ++j) {
            const double t = 2.0 * std::numbers::pi * j / CZanCircularChartGraph::kChartLength - std::numbers::pi;
            cosine[j] = std::cos(t);
            sine[j] = std::sin(t);
        }
    }
};

const AngleTable& angles() {
    static const AngleTable table;
    return table;
}

}  // namespace

CZanCircularChartGraph::CZanCircularChartGraph(QWidget* parent, int controlId) : QWidget(parent) {
    setControlId(*this, controlId);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CZanCircularChartGraph::setDeckColor(std::uint32_t bgr) {
    const QColor color = colorFromBgr(bgr);
    if (color == color_) return;
    color_ = color;
    update();
}

void CZanCircularChartGraph::setChart(const ChartRing& minimum, const ChartRing& maximum, int cursor) {
    cursor = ((cursor % kChartLength) + kChartLength) % kChartLength;
    if (minimum == minimum_ && maximum == maximum_ && cursor == cursor_) return;
    minimum_ = minimum;
    maximum_ = maximum;
    cursor_ = cursor;
    update();
}

float CZanCircularChartGraph::pointerAngle(QPointF point) const {
    const double dx = point.x() - width() / 2;
    const double dy = point.y() - height() / 2;
    if (dx == 0.0) return dy > 0.0 ? kPi / 2 : dy < 0.0 ? -kPi / 2 : lastAngle_;
    return static_cast<float>(std::atan(dy / dx));
}

void CZanCircularChartGraph::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), faceColor(*this));
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF centre(width() / 2.0, height() / 2.0);
    const double diameter = std::min(width(), height());
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    painter.drawEllipse(centre, diameter / 2.0, diameter / 2.0);
    paintRing(painter);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(128, 128, 128), 3.0));
    painter.drawEllipse(centre, height() / 3.0, height() / 3.0);
    painter.setPen(QPen(QColor(192, 192, 192), 1.0));
    painter.drawLine(centre, QPointF(centre.x(), height()));
}

// Each entry's maximum band runs from the base radius out to base + maximum / scale and its
// minimum band from base + minimum / scale (inside, minima being negative) to the base. The
// two bands of an entry share its colour and meet at the base, so they are filled as one
// quadrilateral from the inner to the outer radius, joining entry j's radii at t_j with
// entry j + 1's at t_(j+1); radii on two rays in this order always make a convex shape.
void CZanCircularChartGraph::paintRing(QPainter& painter) const {
    const double h = height();
    const double base = 2.0 * h / 6.0;
    const double scale = kFullScale / (h / 6.0);
    const double cx = width() / 2.0, cy = h / 2.0;
    const AngleTable& t = angles();
    auto at = [&](double r, int j) { return QPointF(cx - r * t.cosine[j], cy + r * t.sine[j]); };
    auto inner = [&](int entry) {
        return base + std::min(0.0, double(std::min(minimum_[entry], maximum_[entry]))) / scale;
    };
    auto outer = [&](int entry) {
        return base + std::max(0.0, double(std::max(minimum_[entry], maximum_[entry]))) / scale;
    };
    // Aliased fills: neighbours meet without seams, and the ring costs half as much.
    painter.setPen(Qt::NoPen);
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (int j = 0; j < kChartLength; ++j) {
        const int k = (j + 1) % kChartLength;
        const int entry = (j + cursor_) % kChartLength;
        const int next = (k + cursor_) % kChartLength;
        painter.setBrush(scaledColor(color_, maximum_[entry] / kFullScale));
        const QPointF band[4] = {at(inner(entry), j), at(outer(entry), j), at(outer(next), k), at(inner(next), k)};
        painter.drawConvexPolygon(band, 4);
    }
    painter.setRenderHint(QPainter::Antialiasing, true);
}

void CZanCircularChartGraph::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    lastPointer_ = event->position();
    lastAngle_ = pointerAngle(lastPointer_);
    scratchTimer_.start(kScratchTickMs, this);
}

void CZanCircularChartGraph::mouseMoveEvent(QMouseEvent* event) { lastPointer_ = event->position(); }

void CZanCircularChartGraph::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mouseReleaseEvent(event);
    endScratch();
}

void CZanCircularChartGraph::timerEvent(QTimerEvent* event) {
    if (event->timerId() == scratchTimer_.timerId())
        scratchTick();
    else
        QWidget::timerEvent(event);
}

void CZanCircularChartGraph::hideEvent(QHideEvent* event) {
    endScratch();
    QWidget::hideEvent(event);
}

void CZanCircularChartGraph::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange && !isEnabled()) endScratch();
    QWidget::changeEvent(event);
}

void CZanCircularChartGraph::scratchTick() {
    const float a = pointerAngle(lastPointer_);
    float d = a - lastAngle_;
    lastAngle_ = a;
    if (d < -kPi / 2 || d > kPi / 2) d = -d;  // the arctangent jumped across pi/2
    if (d < 0.0f && !movingBackward_) {
        movingBackward_ = true;
        movingForward_ = false;
        postIfSet(target_, UWM_SCRATCH_BACKWARD, static_cast<WParam>(deck_));
    } else if (d > 0.0f && !movingForward_) {
        movingForward_ = true;
        movingBackward_ = false;
        postIfSet(target_, UWM_SCRATCH_FORWARD, static_cast<WParam>(deck_));
    }
}

// Ends a drag in progress; nothing happens when no drag runs.
void CZanCircularChartGraph::endScratch() {
    if (!scratchTimer_.isActive()) return;
    scratchTimer_.stop();
    movingBackward_ = false;
    movingForward_ = false;
    postIfSet(target_, UWM_SCRATCH_RELEASE, static_cast<WParam>(deck_));
}

}  // namespace quillmix
