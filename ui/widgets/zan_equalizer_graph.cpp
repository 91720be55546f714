#include "ui/widgets/zan_equalizer_graph.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <vector>

#include "ui/widgets/widget_support.h"

namespace quillmix {

namespace {

const std::array<QColor, CZanEqualizerGraph::kMaxBands> kBandColors{
    QColor(255, 0, 0), QColor(255, 165, 0), QColor(255, 255, 0), QColor(0, 128, 0), QColor(0, 0, 255)};

}  // namespace

CZanEqualizerGraph::CZanEqualizerGraph(QWidget* parent, int controlId) : QWidget(parent) {
    setControlId(*this, controlId);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CZanEqualizerGraph::SetNumBands(int bands) {
    bands = std::clamp(bands, 0, kMaxBands);
    if (bands == bands_) return;
    bands_ = bands;
    update();
}

void CZanEqualizerGraph::setBandCurve(int band, std::span<const float> gainsDb) {
    if (band < 0 || band >= kMaxBands) return;
    Curve curve{};
    std::copy_n(gainsDb.begin(), std::min<std::size_t>(gainsDb.size(), curve.size()), curve.begin());
    Curve& stored = curves_[static_cast<std::size_t>(band)];
    if (curve == stored) return;
    stored = curve;
    update();
}

// Point i at x = i x W / 640, y = H - (H / 40) x (gain + 20).
void CZanEqualizerGraph::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    painter.setRenderHint(QPainter::Antialiasing);
    const double w = width(), h = height();
    const double perDb = h / (2.0 * kTopDb);
    std::array<QPointF, kCurvePoints> points;
    for (int band = 0; band < bands_; ++band) {
        const Curve& curve = curves_[static_cast<std::size_t>(band)];
        for (std::size_t i = 0; i < points.size(); ++i) {
            const double db = std::isfinite(curve[i]) ? curve[i] : kFloorDb;
            points[i] = QPointF(static_cast<double>(i) * w / kCurvePoints, h - perDb * (db + kTopDb));
        }
        painter.setPen(QPen(kBandColors[static_cast<std::size_t>(band)], 1.0));
        painter.drawPolyline(points.data(), kCurvePoints);
    }
}

}  // namespace quillmix
