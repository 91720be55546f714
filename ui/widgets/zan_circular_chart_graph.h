#pragma once
// CZanCircularChartGraph: a deck's platter. It draws the deck's chart ring (the minimum and
// maximum of the last 50 charted chunks, oldest first from the ring's cursor) as a ring of
// segments round a black disc, each in the deck colour scaled by that chunk's maximum /
// 32767, and lets the user scratch by dragging round the centre.
//
// Geometry, for a control of W x H pixels centred at (W/2, H/2): base radius 2H/6; a
// full-scale value (32767) reaches H/6 beyond it, so full-scale maxima touch the outer
// radius H/2 and full-scale minima the inner radius H/6. Entry 0 (the oldest) sits at 3
// o'clock and the entries run counter-clockwise.
//
// Scratching: while the left button is held, every 30 ms the pointer's angle about the
// centre (a single-argument arctangent, -pi/2 .. pi/2, with a jump across its
// discontinuity read as a move the other way) is compared with the previous one. The first
// tick that moves backward (counter-clockwise) posts UWM_SCRATCH_BACKWARD (deck), the first
// that moves forward posts UWM_SCRATCH_FORWARD (deck): one message per change of
// direction; holding still keeps the last direction. The release posts
// UWM_SCRATCH_RELEASE (deck); so does hiding or disabling the control mid-drag.
//
// Threads: window thread only.

#include <QBasicTimer>
#include <QColor>
#include <QPointF>
#include <QWidget>

#include <array>
#include <cstdint>

#include "platform/messaging.h"

namespace quillmix {

class CZanCircularChartGraph : public QWidget {
    Q_OBJECT
public:
    static constexpr int kChartLength = 50;
    static constexpr int kScratchTickMs = 30;
    using ChartRing = std::array<float, kChartLength>;

    explicit CZanCircularChartGraph(QWidget* parent = nullptr, int controlId = 0);

    void setDeck(int deck) { deck_ = deck; }
    int deck() const { return deck_; }
    void setTargetWindow(WindowHandle window) { target_ = window; }
    void setDeckColor(std::uint32_t bgr);

    // Copies the deck's chart ring (16-bit sample values) and its cursor; redraws when they
    // differ from what is shown.
    void setChart(const ChartRing& minimum, const ChartRing& maximum, int cursor);

    // The pointer's angle about the centre, -pi/2 .. pi/2; straight above or below the
    // centre it is -pi/2 or pi/2; at the centre itself, where it has none, the last angle
    // seen (so a pointer there does not move the platter).
    float pointerAngle(QPointF point) const;

    QSize sizeHint() const override { return {160, 160}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void paintRing(class QPainter& painter) const;
    void scratchTick();
    void endScratch();

    int deck_ = 0;
    WindowHandle target_;
    QColor color_{Qt::white};
    ChartRing minimum_{};
    ChartRing maximum_{};
    int cursor_ = 0;

    QPointF lastPointer_;
    float lastAngle_ = 0.0f;
    bool movingBackward_ = false;
    bool movingForward_ = false;
    QBasicTimer scratchTimer_;
};

}  // namespace quillmix
