// The mixer panel's drawn controls: the curve graph's rows against the main output's curve
// tables, and the meter and colour square repainting only on change (the curve graph's
// repaints are checked through the mixer panel's refresh).
#include <gtest/gtest.h>

#include <QTest>

#include <cmath>

#include "engine/level_meter_model.h"
#include "engine/zan_mix_output.h"
#include "support/sound_engine_fixture.h"
#include "ui/widget_test_support.h"
#include "ui/widgets/zan_fader_controls.h"

using namespace quillmix;
using namespace quillmix::test;

namespace {

// The brightest value of one colour channel in rows y - 1 .. y + 1 of column x.
int channelAround(const QImage& image, int x, double y, int (*channel)(QRgb)) {
    int best = 0;
    const int row = static_cast<int>(std::floor(y));
    for (int r = row - 1; r <= row + 1; ++r)
        if (r >= 0 && r < image.height()) best = std::max(best, channel(image.pixel(x, r)));
    return best;
}

}  // namespace

TEST(CurveGraphTest, CurvesReachTheRowsOfTheMainOutputsTables) {
    auto system = soundSteppedSystem();
    CZanMixOutput output(*system);
    CZanCrossFadeCurveGraph graph;
    graph.resize(198, 100);                       // two pixels per point
    graph.setDeckColors(0x000000FF, 0x00FF0000);  // deck A red, deck B blue
    for (double shape : {1.0, -1.0}) {
        output.SetCurve(shape);
        CZanCrossFadeCurveGraph::Curve a{}, b{};
        for (int i = 0; i < 99; ++i) {
            a[static_cast<std::size_t>(i)] = output.GetCurveValue(0, i);
            b[static_cast<std::size_t>(i)] = output.GetCurveValue(1, i);
        }
        graph.setCurves(a, b);
        const QImage image = renderControl(graph);
        for (int i : {8, 20, 60, 90}) {  // away from the centre, where B covers A
            const int x = 2 * i;
            const double rowA = std::min(99.0, 100.0 - 100.0 * a[static_cast<std::size_t>(i)]);
            const double rowB = std::min(99.0, 100.0 - 100.0 * b[static_cast<std::size_t>(i)]);
            EXPECT_GT(channelAround(image, x, rowA, qRed), 150) << shape << " A " << i;
            EXPECT_GT(channelAround(image, x, rowB, qBlue), 150) << shape << " B " << i;
            const double awayA = rowA < 50 ? rowA + 20 : rowA - 20;
            const double awayB = rowB < 50 ? rowB + 20 : rowB - 20;
            EXPECT_LT(channelAround(image, x, awayA, qRed), 20) << shape << " A " << i;
            EXPECT_LT(channelAround(image, x, awayB, qBlue), 20) << shape << " B " << i;
        }
    }
}

TEST(MeterTest, MeterAndColorSquareRepaintOnlyWhenTheirValueChanges) {
    QWidget panel;
    CZanLevelMeter meter(&panel, 1064);
    meter.setGeometry(0, 0, 14, 100);
    CZanColorSquare square(&panel);
    square.setGeometry(130, 0, 20, 20);
    panel.resize(160, 110);
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    QTest::qWait(20);
    PaintCounter meterPaints(meter), squarePaints(square);
    auto settle = [] { QTest::qWait(10); };

    CZanLevelMeterModel model;
    for (float db : {96.0f, 96.0f, 20.0f, 20.0f, 20.0f, 20.0f, 30.0f}) {
        model.SetValue(db);
        meter.setLevel(model.GetLevel());  // 3, 6, 3, 0, 0, 0, 0
        settle();
    }
    EXPECT_EQ(meterPaints.paints, 4);
    EXPECT_EQ(meter.level(), 0);

    square.SetRed(300);
    square.SetGreen(64);
    settle();
    square.SetRed(255);
    settle();
    EXPECT_EQ(squarePaints.paints, 1);
    EXPECT_EQ(renderControl(square).pixelColor(10, 10), QColor(255, 64, 0));
}
