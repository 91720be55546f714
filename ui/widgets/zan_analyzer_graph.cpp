#include "ui/widgets/zan_analyzer_graph.h"

#include <QLinearGradient>
#include <QPainter>

#include <algorithm>
#include <cmath>

#include "ui/widgets/widget_support.h"

namespace quillmix {

namespace {

constexpr double kFullScale = 32767.0;

}  // namespace

CZanAnalyzerGraph::CZanAnalyzerGraph(QWidget* parent, int controlId) : QWidget(parent) {
    setControlId(*this, controlId);
    setAttribute(Qt::WA_OpaquePaintEvent);
    decks_[0].color = Qt::red;
    decks_[1].color = Qt::green;
}

void CZanAnalyzerGraph::setDeckMode(int mode) {
    if (mode < DeckA || mode > Split || mode == mode_) return;
    mode_ = mode;
    update();
}

void CZanAnalyzerGraph::setGraphType(int type) {
    if (type < Chart || type > Scope || type == type_) return;
    type_ = type;
    update();
}

void CZanAnalyzerGraph::setDeckColors(std::uint32_t bgrA, std::uint32_t bgrB) {
    const QColor a = colorFromBgr(bgrA), b = colorFromBgr(bgrB);
    if (a == decks_[0].color && b == decks_[1].color) return;
    decks_[0].color = a;
    decks_[1].color = b;
    update();
}

void CZanAnalyzerGraph::setScopeTrace(int deck, const ScopeTrace& trace) {
    if (deck < 0 || deck > 1 || decks_[static_cast<std::size_t>(deck)].scope == trace) return;
    decks_[static_cast<std::size_t>(deck)].scope = trace;
    update();
}

void CZanAnalyzerGraph::setOctaveLevels(int deck, const OctaveLevels& levels) {
    if (deck < 0 || deck > 1 || decks_[static_cast<std::size_t>(deck)].octave == levels) return;
    decks_[static_cast<std::size_t>(deck)].octave = levels;
    update();
}

void CZanAnalyzerGraph::setChart(int deck, const ChartRing& minimum, const ChartRing& maximum, int cursor) {
    if (deck < 0 || deck > 1) return;
    DeckData& d = decks_[static_cast<std::size_t>(deck)];
    cursor = ((cursor % kChartLength) + kChartLength) % kChartLength;
    if (d.minimum == minimum && d.maximum == maximum && d.cursor == cursor) return;
    d.minimum = minimum;
    d.maximum = maximum;
    d.cursor = cursor;
    update();
}

double CZanAnalyzerGraph::rowOf(double value) const {
    const double half = height() / 2.0;
    return half - value * half / kFullScale;
}

void CZanAnalyzerGraph::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    painter.setRenderHint(QPainter::Antialiasing);
    const double w = width();
    switch (mode_) {
        case DeckA: paintDeck(painter, 0, 0.0, w, true); break;
        case DeckB: paintDeck(painter, 1, 0.0, w, true); break;
        case Both:
            paintDeck(painter, 0, 0.0, w, false);
            paintDeck(painter, 1, 0.0, w, false);
            break;
        default:
            paintDeck(painter, 0, 0.0, std::floor(w / 2.0), true);
            paintDeck(painter, 1, std::floor(w / 2.0), std::floor(w / 2.0), true);
            break;
    }
}

// One deck's picture in the area from x = left, areaWidth wide, with its frame (the
// rectangle's last pixel column and row inside the area) when framed.
void CZanAnalyzerGraph::paintDeck(QPainter& painter, int deck, double left, double areaWidth, bool framed) const {
    const DeckData& d = decks_[static_cast<std::size_t>(deck)];
    if (type_ == Scope)
        paintScope(painter, d, left, areaWidth);
    else if (type_ == Octave)
        paintOctave(painter, d, left, areaWidth);
    else
        paintChart(painter, d, left, areaWidth);
    if (!framed) return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(d.color, 0.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(left, 0.0, areaWidth - 1.0, height() - 1.0));
    painter.restore();
}

void CZanAnalyzerGraph::paintScope(QPainter& painter, const DeckData& d, double left, double areaWidth) const {
    std::array<QPointF, kScopePoints> points;
    for (std::size_t i = 0; i < points.size(); ++i)
        points[i] = QPointF(left + static_cast<double>(i) * areaWidth / kScopePoints, rowOf(d.scope[i]));
    painter.setPen(QPen(d.color, 1.0));
    painter.drawPolyline(points.data(), kScopePoints);
}

void CZanAnalyzerGraph::paintOctave(QPainter& painter, const DeckData& d, double left, double areaWidth) const {
    const double barWidth = areaWidth / kOctaveBands;
    const int h = height();
    QLinearGradient gradient(0.0, 0.0, 0.0, h);  // silver at the top to the deck colour
    gradient.setColorAt(0.0, QColor(192, 192, 192));
    gradient.setColorAt(1.0, d.color);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(d.color, 0.0));
    painter.setBrush(gradient);
    for (std::size_t b = 0; b < d.octave.size(); ++b) {
        const double level = std::isfinite(d.octave[b]) ? d.octave[b] : 0.0;
        const int barHeight = std::clamp(static_cast<int>(h * level / kOctaveFullScale), 0, h);
        if (barHeight == 0) continue;
        painter.drawRect(
            QRectF(left + static_cast<double>(b) * barWidth, h - barHeight, barWidth - 1.0, barHeight - 1.0));
    }
    painter.restore();
}

void CZanAnalyzerGraph::paintChart(QPainter& painter, const DeckData& d, double left, double areaWidth) const {
    const double step = areaWidth / kChartLength;
    for (int i = 0; i + 1 < kChartLength; ++i) {
        const auto entry = static_cast<std::size_t>((i + d.cursor) % kChartLength);
        const auto next = static_cast<std::size_t>((i + 1 + d.cursor) % kChartLength);
        painter.setPen(QPen(scaledColor(d.color, d.maximum[entry] / kFullScale), 1.0));
        const double x0 = left + i * step, x1 = left + (i + 1) * step;
        painter.drawLine(QPointF(x0, rowOf(d.maximum[entry])), QPointF(x1, rowOf(d.maximum[next])));
        painter.drawLine(QPointF(x0, rowOf(d.minimum[entry])), QPointF(x1, rowOf(d.minimum[next])));
    }
}

}  // namespace quillmix
