#pragma once
// CZanEqualizerGraph: the response curves of a deck's equaliser bands on black, band 1 red,
// 2 orange, 3 yellow, 4 green, 5 blue. Each curve is 640 gains in dB on the filter bank's
// logarithmic frequency grid (about 20 Hz at the left to 20 kHz at the right); the graph
// spans -20 dB (bottom edge) to +20 dB (top edge). Only the first `bands` curves are
// drawn. Redraws only when a curve or the band count changes.
//
// Threads: window thread only.

#include <QWidget>

#include <array>
#include <span>

namespace quillmix {

class CZanEqualizerGraph : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMaxBands = 5;
    static constexpr int kCurvePoints = 640;
    static constexpr double kTopDb = 20.0;
    static constexpr double kFloorDb = -96.33;  // where a non-finite gain is drawn
    using Curve = std::array<float, kCurvePoints>;

    explicit CZanEqualizerGraph(QWidget* parent = nullptr, int controlId = 0);

    // The number of curves drawn, 0 .. 5 (clamped).
    void SetNumBands(int bands);
    int numBands() const { return bands_; }
    // Copies band `band`'s curve (the first 640 values; missing ones count as 0 dB). An
    // invalid band is ignored.
    void setBandCurve(int band, std::span<const float> gainsDb);

    QSize sizeHint() const override { return {320, 160}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::array<Curve, kMaxBands> curves_{};
    int bands_ = 3;
};

}  // namespace quillmix
