// The equaliser and analyser graphs, checked in pixels where their layout is fixed.
#include <gtest/gtest.h>

#include "ui/widget_test_support.h"
#include "ui/widgets/zan_analyzer_graph.h"
#include "ui/widgets/zan_equalizer_graph.h"

using namespace quillmix;
using namespace quillmix::test;

namespace {

bool isLit(const QImage& image, int x, int y) { return qGray(image.pixel(x, y)) > 40; }

// True when, between columns from and to (inclusive), a pixel of row y - 1 or y is mostly
// `channel` (a 1-pixel line on a row boundary is shared between the two rows).
bool rowHas(const QImage& image, int y, int from, int to, int (*channel)(QRgb)) {
    for (int x = from; x <= to; ++x)
        for (int r : {y - 1, y})
            if (channel(image.pixel(x, r)) > 100 && qGray(image.pixel(x, r)) < 100) return true;
    return false;
}

// The colour of the line through row boundary y in column x: the brighter of rows y - 1, y.
QColor lineAt(const QImage& image, int x, int y) {
    const QColor above = image.pixelColor(x, y - 1), below = image.pixelColor(x, y);
    return qGray(above.rgb()) > qGray(below.rgb()) ? above : below;
}

}  // namespace

TEST(EqualizerGraphTest, BandsDrawAtTheirGainsInTheirColours) {
    CZanEqualizerGraph graph;
    graph.resize(320, 160);
    CZanEqualizerGraph::Curve flat{}, raised{}, cut{};
    raised.fill(10.0f);  // a quarter of the height from the top
    cut.fill(-10.0f);
    graph.setBandCurve(0, flat);
    graph.setBandCurve(1, raised);
    graph.setBandCurve(2, cut);
    graph.SetNumBands(2);
    const QImage two = renderControl(graph);
    const QColor atZero = lineAt(two, 160, 80), atTen = lineAt(two, 160, 40);
    EXPECT_GT(atZero.red(), 100);  // band 1 red at 0 dB, mid-height
    EXPECT_LT(atZero.green(), 10);
    EXPECT_GT(atTen.red(), 100);  // band 2 orange at +10 dB
    EXPECT_GT(atTen.green(), atTen.red() / 2);
    EXPECT_FALSE(isLit(two, 160, 120));  // band 3 (-10 dB) is beyond the band count
    graph.SetNumBands(3);
    EXPECT_TRUE(isLit(renderControl(graph), 160, 120));
}

TEST(AnalyzerGraphTest, SplitScopeGivesEachDeckHalfTheWidthInItsOwnFrame) {
    CZanAnalyzerGraph graph;
    graph.resize(200, 100);
    graph.setDeckColors(0x000000FF, 0x00FF0000);  // A red, B blue
    CZanAnalyzerGraph::ScopeTrace high{}, low{};
    high.fill(16383.5);  // a quarter of the height from the top
    low.fill(-16383.5);  // a quarter from the bottom
    graph.setScopeTrace(0, high);
    graph.setScopeTrace(1, low);
    graph.setDeckMode(CZanAnalyzerGraph::Split);
    const QImage image = renderControl(graph);
    EXPECT_TRUE(rowHas(image, 25, 2, 97, qRed));
    EXPECT_FALSE(rowHas(image, 25, 101, 198, qRed));
    EXPECT_TRUE(rowHas(image, 75, 102, 197, qBlue));
    EXPECT_FALSE(rowHas(image, 75, 1, 98, qBlue));
    for (int y : {10, 50, 90}) {  // frames: A at columns 0 and 99, B at 100 and 199
        EXPECT_GT(qRed(image.pixel(0, y)), 150);
        EXPECT_GT(qRed(image.pixel(99, y)), 150);
        EXPECT_GT(qBlue(image.pixel(100, y)), 150);
        EXPECT_GT(qBlue(image.pixel(199, y)), 150);
    }
    graph.setDeckMode(CZanAnalyzerGraph::Both);  // both full width, no frame
    const QImage both = renderControl(graph);
    EXPECT_TRUE(rowHas(both, 25, 150, 190, qRed));
    EXPECT_TRUE(rowHas(both, 75, 5, 40, qBlue));
    EXPECT_FALSE(isLit(both, 0, 50));
}

TEST(AnalyzerGraphTest, AnOctaveLevelOf96dBFillsTheHeight) {
    CZanAnalyzerGraph graph;
    graph.resize(200, 100);
    graph.setGraphType(CZanAnalyzerGraph::Octave);
    CZanAnalyzerGraph::OctaveLevels levels{};
    levels[2] = 96.33;   // band 2: columns 40 .. 59
    levels[5] = 48.165;  // band 5: columns 100 .. 119, half the height
    graph.setOctaveLevels(0, levels);
    const QImage image = renderControl(graph);
    EXPECT_TRUE(isLit(image, 50, 1));
    EXPECT_TRUE(isLit(image, 50, 98));
    EXPECT_TRUE(isLit(image, 110, 52));
    EXPECT_FALSE(isLit(image, 110, 47));
    EXPECT_FALSE(isLit(image, 30, 90));  // a silent band has no bar
}
