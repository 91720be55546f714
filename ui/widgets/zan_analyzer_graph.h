#pragma once
// CZanAnalyzerGraph, the drawing of the analyser: one deck, both overlaid or both side by
// side (A left, B right), as a scope trace, ten octave bars or the recent peak chart, each
// deck in its colour on black. The graph draws what it was last given; the panel hands it
// the analysis results after each run (16-bit sample values for scope and chart, dB for
// the octave levels) and it redraws only when something it shows changes.
//
// Layout, for a graph of W x H pixels and a deck area of width A (W, or W/2 when split):
//   - scope: point i of 100 at x = i x A / 100, y = H/2 - value x (H/2) / 32767;
//   - octave: bar b of 10 (band 0 at the left) is A / 10 wide and
//     trunc(H x level / 96.33) tall (clamped to the height), standing on the bottom edge,
//     filled with a vertical gradient from silver to the deck colour and outlined in it;
//   - chart: the ring of 50 read from its cursor (oldest first); entries i and i + 1 join
//     at x = i x A / 50 and (i + 1) x A / 50, once for the maxima and once for the minima,
//     scaled as the scope, in the deck colour times maximum / 32767 of entry i.
// One deck, and each half when split, is framed in its deck colour; "both" has no frame.
//
// Threads: window thread only.

#include <QColor>
#include <QWidget>

#include <array>
#include <cstdint>

namespace quillmix {

class CZanAnalyzerGraph : public QWidget {
    Q_OBJECT
public:
    enum DeckMode { DeckA = 0, DeckB = 1, Both = 2, Split = 3 };
    enum GraphType { Chart = 0, Octave = 1, Scope = 2 };
    static constexpr int kScopePoints = 100;
    static constexpr int kOctaveBands = 10;
    static constexpr int kChartLength = 50;
    static constexpr double kOctaveFullScale = 96.33;  // dB that fills the height
    using ScopeTrace = std::array<double, kScopePoints>;
    using OctaveLevels = std::array<double, kOctaveBands>;
    using ChartRing = std::array<float, kChartLength>;

    explicit CZanAnalyzerGraph(QWidget* parent = nullptr, int controlId = 0);

    void setDeckMode(int mode);   // 0 .. 3; others ignored
    void setGraphType(int type);  // 0 .. 2; others ignored
    int deckMode() const { return mode_; }
    int graphType() const { return type_; }
    void setDeckColors(std::uint32_t bgrA, std::uint32_t bgrB);

    // A deck's results; an invalid deck is ignored.
    void setScopeTrace(int deck, const ScopeTrace& trace);
    void setOctaveLevels(int deck, const OctaveLevels& levels);
    void setChart(int deck, const ChartRing& minimum, const ChartRing& maximum, int cursor);

    QSize sizeHint() const override { return {400, 200}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct DeckData {
        ScopeTrace scope{};
        OctaveLevels octave{};
        ChartRing minimum{}, maximum{};
        int cursor = 0;
        QColor color;
    };
    void paintDeck(class QPainter& painter, int deck, double left, double areaWidth, bool framed) const;
    void paintScope(QPainter& painter, const DeckData& d, double left, double areaWidth) const;
    void paintOctave(QPainter& painter, const DeckData& d, double left, double areaWidth) const;
    void paintChart(QPainter& painter, const DeckData& d, double left, double areaWidth) const;
    double rowOf(double value) const;

    int mode_ = DeckA;
    int type_ = Scope;
    std::array<DeckData, 2> decks_{};
};

}  // namespace quillmix
