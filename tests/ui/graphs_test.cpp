// The drawn graphs and meters, checked in pixels where their layout is fixed: the equaliser
// and analyser graphs, the cross-fade curve graph against the main output's curve tables,
// the meter and colour square repainting only on change (the curve graph's repaints are
// checked through the mixer panel's refresh), and the analyser panel: which measurements run
// for its radios and On button, and that its graph shows a run only while it is on; and the
// platter: scratch messages from drags, and its ring's geometry.
#include <gtest/gtest.h>

#include <QRadioButton>
#include <QTest>

#include <cmath>
#include <numbers>
#include <vector>

#include "app/message_catalogue.h"
#include "app/shared_state.h"
#include "dsp/chunk_format.h"
#include "dsp/filter_bank.h"
#include "engine/chunk_analysis.h"
#include "engine/level_meter_model.h"
#include "engine/zan_mix_output.h"
#include "support/sound_engine_fixture.h"
#include "ui/analyzer_panel.h"
#include "ui/widget_test_support.h"
#include "ui/widgets/zan_analyzer_graph.h"
#include "ui/widgets/zan_button_ctrl.h"
#include "ui/widgets/zan_circular_chart_graph.h"
#include "ui/widgets/zan_equalizer_graph.h"
#include "ui/widgets/zan_fader_controls.h"

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

// The brightest value of one colour channel in rows y - 1 .. y + 1 of column x.
int channelAround(const QImage& image, int x, double y, int (*channel)(QRgb)) {
    int best = 0;
    const int row = static_cast<int>(std::floor(y));
    for (int r = row - 1; r <= row + 1; ++r)
        if (r >= 0 && r < image.height()) best = std::max(best, channel(image.pixel(x, r)));
    return best;
}

struct AnalysisRig {
    AnalysisRig() {
        createSharedEvents();
        deckColor = {0x000000FF, 0x00FF0000};  // red, blue
        for (int d = 0; d < 2; ++d) {
            octave[d].Design(10);
            chart[d].Design(3);
        }
    }
    std::array<CZanFilterBank, 2> octave, chart;
    CZanAnalysis analysis{{&octave[0], &octave[1]}, {&chart[0], &chart[1]}};
};

// Whether any pixel of row y is lit, away from the frame columns.
bool rowLit(const QImage& image, int y) {
    for (int x = 3; x < image.width() - 3; ++x)
        if (isLit(image, x, y)) return true;
    return false;
}

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
    EXPECT_GT(channelAround(two, 160, 80, qRed), 100);  // band 1 red at 0 dB, mid-height
    EXPECT_LT(channelAround(two, 160, 80, qGreen), 10);
    EXPECT_GT(channelAround(two, 160, 40, qRed), 100);  // band 2 orange at +10 dB
    EXPECT_GT(channelAround(two, 160, 40, qGreen), channelAround(two, 160, 40, qRed) / 2);
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
            for (const auto& [curve, channel] : {std::pair<decltype(&a), int (*)(QRgb)>{&a, qRed}, {&b, qBlue}}) {
                const double row = std::min(99.0, 100.0 - 100.0 * (*curve)[static_cast<std::size_t>(i)]);
                EXPECT_GT(channelAround(image, 2 * i, row, channel), 150) << shape << " " << i;
                EXPECT_LT(channelAround(image, 2 * i, row < 50 ? row + 20 : row - 20, channel), 20)
                    << shape << " " << i;
            }
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

TEST(AnalyzerPanelTest, MeasurementsFollowTheGraphTypeAndTheOnButton) {
    AnalysisRig rig;
    rig.analysis.SetScopeEnabled(true);  // whatever ran before, the panel starts plain
    AnalyzerPanel panel(nullptr, &rig.analysis);
    auto* power = panel.findChild<CZanButtonCtrl*>("1101");
    ASSERT_NE(power, nullptr);
    EXPECT_TRUE(control<QRadioButton>(panel, 1017)->isChecked());
    EXPECT_TRUE(control<QRadioButton>(panel, 1020)->isChecked());
    EXPECT_FALSE(panel.isOn());
    EXPECT_FALSE(rig.analysis.scopeEnabled());
    EXPECT_FALSE(rig.analysis.octaveEnabled());

    control<QRadioButton>(panel, 1019)->click();  // Chart, then on: nothing extra
    power->click();
    EXPECT_TRUE(panel.isOn());
    EXPECT_FALSE(rig.analysis.scopeEnabled() || rig.analysis.octaveEnabled());
    control<QRadioButton>(panel, 1018)->click();  // Octave while on
    EXPECT_TRUE(rig.analysis.octaveEnabled());
    EXPECT_FALSE(rig.analysis.scopeEnabled());
    control<QRadioButton>(panel, 1023)->click();  // the deck radios are a group of their own
    EXPECT_TRUE(control<QRadioButton>(panel, 1018)->isChecked());
    EXPECT_FALSE(control<QRadioButton>(panel, 1020)->isChecked());
    EXPECT_EQ(panel.graph()->deckMode(), CZanAnalyzerGraph::Split);
    power->click();  // off: both off
    EXPECT_FALSE(rig.analysis.scopeEnabled() || rig.analysis.octaveEnabled());
    control<QRadioButton>(panel, 1017)->click();  // Scope, then on: the scope alone
    power->click();
    EXPECT_TRUE(rig.analysis.scopeEnabled());
    EXPECT_FALSE(rig.analysis.octaveEnabled());
}

// A chunk of constant value 16384 gives a scope trace at a quarter of the height from the
// top; the graph takes it up only while the analyser is on.
TEST(AnalyzerPanelTest, GraphShowsAFinishedRunOnlyWhileOn) {
    AnalysisRig rig;
    AnalyzerPanel panel(nullptr, &rig.analysis);
    CZanAnalyzerGraph& graph = *panel.graph();
    const int quarter = graph.height() / 4;
    control<QRadioButton>(panel, 1017)->click();  // Scope: measured even while off
    const std::vector<std::int16_t> chunk(kChunkSamples, 16384);
    rig.analysis.StoreChunk(0, chunk.data(), 5 * kChunkBytes);
    rig.analysis.RunAnalysis(0, 5, false);
    panel.showAnalysis(0);
    EXPECT_FALSE(rowLit(renderControl(graph), quarter));

    panel.findChild<CZanButtonCtrl*>("1101")->click();
    rig.analysis.RunAnalysis(0, 5, false);
    panel.showAnalysis(0);
    const QImage on = renderControl(graph);
    EXPECT_TRUE(rowLit(on, quarter) || rowLit(on, quarter - 1));
    EXPECT_FALSE(rowLit(on, graph.height() / 2));
}

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
