#pragma once
// The mixer panel's fader controls and meters:
//   - CZanCrossFaderCtrl, the main cross-fader (-1000 .. 1000, deck A at the left) with its
//     cue mark drawn under the groove, and the 50 ms fader-cueing timer: each tick hands the
//     slider position and the mark to the cueing logic the panel gives it, and when that
//     logic names a deck, posts UWM_FADER_START (deck) to that deck's window;
//   - CZanCrossFadeCurveGraph, both decks' cross-fade curves (99 gains 0 .. 1 each, from
//     the main output's tables) on black, each in its deck colour;
//   - CZanColorSquare, a swatch of one opaque colour;
//   - CZanLevelMeter, a deck's level meter: `steps` segments standing on the bottom edge,
//     the lowest `level` of them lit.
// Each graph and meter redraws only when a value it shows changes.
//
// Threads: window thread only.

#include <QBasicTimer>
#include <QColor>
#include <QSlider>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>

#include "platform/messaging.h"

namespace quillmix {

class CZanCrossFaderCtrl : public QSlider {
    Q_OBJECT
public:
    static constexpr int kTimerIntervalMs = 50;
    static constexpr int kSliderScale = 1000;  // slider units per fader unit
    // One cueing tick: the slider position and the cue mark in, the deck to start out.
    using CueingTick = std::function<std::optional<int>(int sliderPosition, double cueMark)>;

    explicit CZanCrossFaderCtrl(QWidget* parent = nullptr, int controlId = 0);

    void setCueingTick(CueingTick tick) { tick_ = std::move(tick); }
    void setDeckWindows(std::array<WindowHandle, 2> windows) { deckWindows_ = windows; }

    // The mark, -1 .. 1 (clamped; NaN is ignored).
    void SetCueMark(double mark);
    double cueMark() const { return cueMark_; }
    void StartFaderCueing();
    void StopFaderCueing();
    bool faderCueing() const { return timer_.isActive(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    CueingTick tick_;
    std::array<WindowHandle, 2> deckWindows_{};
    double cueMark_ = 0.0;
    QBasicTimer timer_;
};

class CZanCrossFadeCurveGraph : public QWidget {
    Q_OBJECT
public:
    static constexpr int kPoints = 99;
    using Curve = std::array<double, kPoints>;

    explicit CZanCrossFadeCurveGraph(QWidget* parent = nullptr, int controlId = 0);

    // One point of a deck's curve; an index or deck out of range is ignored.
    void SetPoint(int deck, int index, double value);
    void setCurves(const Curve& deckA, const Curve& deckB);
    void setDeckColors(std::uint32_t bgrA, std::uint32_t bgrB);
    const Curve& curve(int deck) const { return curves_.at(static_cast<std::size_t>(deck)); }

    QSize sizeHint() const override { return {150, 75}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::array<Curve, 2> curves_{};
    std::array<QColor, 2> colors_{QColor(Qt::red), QColor(Qt::green)};
};

class CZanColorSquare : public QWidget {
    Q_OBJECT
public:
    explicit CZanColorSquare(QWidget* parent = nullptr, int controlId = 0);
    void SetRed(int red) { setComponent(0, red); }
    void SetGreen(int green) { setComponent(1, green); }
    void SetBlue(int blue) { setComponent(2, blue); }
    QColor color() const { return QColor(rgb_[0], rgb_[1], rgb_[2]); }
    QSize sizeHint() const override { return {24, 24}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void setComponent(int index, int value);  // clamped to 0 .. 255
    std::array<int, 3> rgb_{};
};

class CZanLevelMeter : public QWidget {
    Q_OBJECT
public:
    explicit CZanLevelMeter(QWidget* parent = nullptr, int controlId = 0);
    // At least 1 step; the level is clamped to 0 .. steps.
    void setSteps(int steps);
    void setLevel(int level);
    int steps() const { return steps_; }
    int level() const { return level_; }
    QSize sizeHint() const override { return {14, 100}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int steps_ = 10;
    int level_ = 0;
};

}  // namespace quillmix
