// The platter: scratch messages from drags, and the ring's geometry checked in pixels.
#include <gtest/gtest.h>

#include <QTest>

#include <cmath>
#include <numbers>

#include "app/message_catalogue.h"
#include "ui/widget_test_support.h"
#include "ui/widgets/zan_circular_chart_graph.h"

using namespace quillmix;
using namespace quillmix::test;

namespace {

constexpr int kSide = 160;
constexpr double kPi = std::numbers::pi;

QPointF onCircle(double degrees, double radius = 60.0) {  // screen angle, y down
    const double a = degrees * kPi / 180.0;
    return {kSide / 2 + radius * std::cos(a), kSide / 2 + radius * std::sin(a)};
}

struct Platter {
    MessageRecorder deck;
    CZanCircularChartGraph graph{nullptr, 1101};
    Platter() {
        graph.resize(kSide, kSide);
        graph.setDeck(1);
        graph.setTargetWindow(deck.handle());
    }
    // Moves the pointer in steps to `degrees` and lets the 30 ms timer see each step.
    void dragTo(double from, double to) {
        const int steps = 4;
        for (int i = 1; i <= steps; ++i) {
            sendMouse(graph, QEvent::MouseMove, onCircle(from + (to - from) * i / steps));
            QTest::qWait(2 * CZanCircularChartGraph::kScratchTickMs + 10);
        }
    }
};

// Brightness of the pixel at `radius` from the centre, in screen direction `degrees`.
int brightnessAt(const QImage& image, double degrees, double radius) {
    const QPointF p = onCircle(degrees, radius);
    return qGray(image.pixel(static_cast<int>(std::floor(p.x())), static_cast<int>(std::floor(p.y()))));
}

}  // namespace

TEST(PlatterTest, PressAndReleaseWithoutMovingPostsOnlyTheRelease) {
    Platter p;
    sendMouse(p.graph, QEvent::MouseButtonPress, onCircle(30));
    QTest::qWait(100);
    sendMouse(p.graph, QEvent::MouseButtonRelease, onCircle(30));
    EXPECT_EQ(postedTo(p.deck), (std::vector<unsigned>{UWM_SCRATCH_RELEASE}));
    EXPECT_EQ(p.deck.log.front().wParam, 1u);
}

TEST(PlatterTest, OneMessagePerChangeOfDirection) {
    Platter p;
    // Clockwise on screen (forward) from 3 o'clock past 6 o'clock, where the pointer passes
    // straight below the centre and the arctangent jumps; then back, then forward again.
    sendMouse(p.graph, QEvent::MouseButtonPress, onCircle(20));
    p.dragTo(20, 160);
    p.dragTo(160, -60);  // back through 90 and 0, past 12 o'clock (straight above)
    p.dragTo(-60, -90);
    p.dragTo(-90, 10);
    sendMouse(p.graph, QEvent::MouseButtonRelease, onCircle(10));
    EXPECT_EQ(postedTo(p.deck), (std::vector<unsigned>{UWM_SCRATCH_FORWARD, UWM_SCRATCH_BACKWARD, UWM_SCRATCH_FORWARD,
                                                       UWM_SCRATCH_RELEASE}));
    EXPECT_FALSE(std::isnan(p.graph.pointerAngle({kSide / 2, kSide / 2})));  // the centre itself has an angle
}

TEST(PlatterTest, RingRadiiFollowTheChartValues) {
    Platter p;
    p.graph.setDeckColor(0x00FFFFFF);
    CZanCircularChartGraph::ChartRing minimum{}, maximum{};
    minimum.fill(-32767.0f);
    maximum.fill(32767.0f);
    for (int i = 25; i < 50; ++i) maximum[static_cast<std::size_t>(i)] = 16384.0f;  // half scale
    p.graph.setChart(minimum, maximum, 0);
    const QImage image = renderControl(p.graph);
    const double outer = kSide / 2.0, inner = kSide / 6.0, base = kSide / 3.0;
    // Entries 0..24 run counter-clockwise from 3 o'clock through 12 to 9: the upper half.
    for (double deg : {-20.0, -60.0, -120.0, -160.0}) {
        EXPECT_GT(brightnessAt(image, deg, outer - 2.5), 200) << deg;  // full scale reaches the edge
        EXPECT_GT(brightnessAt(image, deg, inner + 2.5), 200) << deg;  // full-scale minima reach H/6
        EXPECT_LT(brightnessAt(image, deg, inner - 3.0), 10) << deg;   // the bare disc inside
    }
    // Entries 25..49, on the lower half, end halfway out, at half brightness; the black
    // platter lies beyond.
    for (double deg : {20.0, 60.0, 120.0, 160.0}) {
        EXPECT_NEAR(brightnessAt(image, deg, base + kSide / 12.0 - 3.0), 128, 8) << deg;
        EXPECT_LT(brightnessAt(image, deg, base + kSide / 12.0 + 3.0), 10) << deg;
    }

    maximum.fill(0.0f);
    minimum.fill(0.0f);
    p.graph.setChart(minimum, maximum, 17);  // a silent deck: black segments on black
    const QImage silent = renderControl(p.graph);
    for (double deg : {20.0, -60.0, 160.0}) {
        EXPECT_LT(brightnessAt(silent, deg, outer - 2.5), 10);
        EXPECT_LT(brightnessAt(silent, deg, inner + 2.5), 10);
        EXPECT_GT(brightnessAt(silent, deg, base), 90);  // the grey circle
    }
}
