// The mixer panel's controls: their places (dialog units of the 214 x 212 panel), what each
// applies through the mixer engine, and the refresh requests that move them.
#include <QCheckBox>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>

#include <cmath>

#include "app/message_catalogue.h"
#include "app/shared_state.h"
#include "deck/deck.h"
#include "engine/mixer_engine.h"
#include "engine/zan_mixer.h"
#include "ui/keyboard_map.h"
#include "ui/mixer_panel.h"
#include "ui/panel_controls.h"
#include "ui/widgets/widget_support.h"
#include "ui/widgets/zan_fader_controls.h"

namespace quillmix {

namespace {

// A rectangle in dialog units, in pixels.
QRect du(int x, int y, int w, int h) {
    const QSize origin = dialogUnits(x, y);
    const QSize size = dialogUnits(w, h);
    return QRect(origin.width(), origin.height(), size.width(), size.height());
}

template <typename W>
W* place(W* widget, int id, QRect rect) {
    if (id) widget->setObjectName(QString::number(id));
    widget->setGeometry(rect);
    return widget;
}

QSlider* slider(QWidget* parent, int id, Qt::Orientation orientation, int low, int high, QRect rect) {
    auto* s = place(new QSlider(orientation, parent), id, rect);
    s->setRange(low, high);
    // A vertical slider has its minimum at the top: a level slider at the top is full.
    if (orientation == Qt::Vertical) s->setInvertedAppearance(true);
    return s;
}

// A group's etched frame and caption. Drawn here rather than by the style's group box, whose
// frame costs the panel most of its paint time: one line rectangle and one text.
class GroupFrame : public QWidget {
public:
    GroupFrame(const QString& title, QWidget* parent) : QWidget(parent), title_(title) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAccessibleName(title);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QFontMetrics metrics(font());
        const int top = metrics.height() / 2;
        const QRect frame = rect().adjusted(0, top, -2, -2);
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawRect(frame);
        painter.setPen(palette().color(QPalette::Light));
        painter.drawRect(frame.translated(1, 1));
        const QRect caption(6, 0, metrics.horizontalAdvance(title_) + 4, metrics.height());
        painter.fillRect(caption, palette().color(QPalette::Window));
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(caption, Qt::AlignCenter, title_);
    }

private:
    QString title_;
};

void group(QWidget* parent, const char* title, QRect rect) { place(new GroupFrame(title, parent), 0, rect)->lower(); }

// The slider position that shows `value` (0 .. 1) on a level or volume slider.
int levelPosition(double value) { return MixerPanel::kLevelRange - static_cast<int>(value * MixerPanel::kLevelRange); }
double levelValue(int position) {
    return static_cast<double>(MixerPanel::kLevelRange - position) / MixerPanel::kLevelRange;
}
// Rounded: a held key's steps add up to values such as 0.59999..., which show at 600.
int faderPosition(double value) { return static_cast<int>(std::lround(value * MixerPanel::kFaderRange)); }

QString keyTip(HeldTarget target) { return QString::fromStdString(heldKeyTip(target)); }

}  // namespace

void MixerPanel::createControls() {
    createBalanceControls();
    createLevelControls();
    createFaderControls();
    showInitialValues();
    connectControls();
    connectFaders();
    // Keys belong to the shortcuts: a focused slider would take Home, End and the arrows.
    keepKeysOnPanel(this);
}

void MixerPanel::createBalanceControls() {
    group(this, "Main Balance", du(4, 2, 100, 28));
    mainBalance_ = slider(this, 1107, Qt::Horizontal, -100, 100, du(8, 12, 62, 12));
    mainBalanceReset_ = place(new QPushButton("Reset", this), 1078, du(72, 11, 28, 14));
    cpuBar_ = place(new QProgressBar(this), 1018, du(6, 34, 70, 8));
    cpuBar_->setRange(0, 100);
    cpuBar_->setTextVisible(false);
    cpuText_ = place(new QLabel("0 %", this), 1019, du(80, 33, 24, 10));
    group(this, "Monitor Balance", du(108, 2, 102, 44));
    place(new QLabel("A:", this), 0, du(112, 13, 8, 10));
    place(new QLabel("B:", this), 0, du(112, 29, 8, 10));
    deckPan_[0] = slider(this, 1108, Qt::Horizontal, -100, 100, du(120, 12, 56, 12));
    deckPan_[1] = slider(this, 1110, Qt::Horizontal, -100, 100, du(120, 28, 56, 12));
    leftRight_ = place(new QPushButton("L R", this), 1112, du(178, 11, 28, 14));
    panReset_ = place(new QPushButton("Reset", this), 1079, du(178, 27, 28, 14));
}

void MixerPanel::createLevelControls() {
    const std::array<const char*, 2> titles{"Deck A Level", "Deck B Level"};
    const std::array<int, 2> sliderIds{1021, 1022}, meterIds{1005, 1014};
    for (int d = 0; d < kDeckCount; ++d) {
        const int x = 4 + 34 * d;
        group(this, titles[d], du(x, 46, 32, 104));
        level_[d] = slider(this, sliderIds[d], Qt::Vertical, 0, kLevelRange, du(x + 4, 56, 12, 90));
        meter_[d] = new CZanLevelMeter(this, meterIds[d]);
        meter_[d]->setGeometry(du(x + 19, 58, 8, 86));
    }
    group(this, "Main", du(72, 46, 24, 104));
    mainVolume_ = slider(this, 1039, Qt::Vertical, 0, kLevelRange, du(78, 56, 12, 90));
    group(this, "Monitor", du(98, 46, 24, 104));
    monitorVolume_ = slider(this, 1027, Qt::Vertical, 0, kLevelRange, du(104, 56, 12, 90));
    level_[0]->setToolTip(keyTip(HeldTarget::levelA));
    level_[1]->setToolTip(keyTip(HeldTarget::levelB));
    mainVolume_->setToolTip(keyTip(HeldTarget::mainVolume));
    monitorVolume_->setToolTip(keyTip(HeldTarget::monitorVolume));
}

void MixerPanel::createFaderControls() {
    group(this, "Cross Fade Curve", du(124, 50, 86, 100));
    curve_ = slider(this, 1015, Qt::Vertical, -kFaderRange, kFaderRange, du(128, 60, 12, 86));
    curveGraph_ = new CZanCrossFadeCurveGraph(this, 1086);
    curveGraph_->setGeometry(du(142, 70, 64, 64));
    group(this, "Monitor Cross Fader", du(4, 152, 102, 26));
    monitorFader_ = slider(this, 1044, Qt::Horizontal, -kFaderRange, kFaderRange, du(8, 162, 94, 12));
    group(this, "Cross Fader Cue Mark", du(108, 152, 102, 26));
    cueMark_ = slider(this, 1091, Qt::Horizontal, -kFaderRange, kFaderRange, du(112, 162, 94, 12));
    group(this, "Main Cross Fader", du(4, 180, 102, 30));
    mainFader_ = new CZanCrossFaderCtrl(this, 1043);
    mainFader_->setGeometry(du(8, 190, 94, 16));
    mainFader_->setToolTip(keyTip(HeldTarget::mainFader) + ", " +
                           QString::fromStdString(windowKeyTip(WindowKeyKind::throwFader, -1)));
    monitorFader_->setToolTip(keyTip(HeldTarget::monitorFader));
    curve_->setToolTip(keyTip(HeldTarget::curve));
    group(this, "Fader Cueing", du(108, 180, 50, 30));
    faderCueingEnabled_ = place(new QCheckBox("Enabled", this), 1048, du(112, 192, 44, 12));
    group(this, "Options", du(160, 180, 50, 30));
    options_ = place(new QPushButton("Show", this), 1101, du(166, 191, 38, 14));
}

// The sliders take the engine's values before they are connected: the engine already
// holds the stored levels and curve, and the outputs open later.
void MixerPanel::showInitialValues() {
    CZanMixState& mix = mixer_.engine().mix();
    curve_->setValue(faderPosition(mix.crossFadeCurve.value));
    monitorFader_->setValue(faderPosition(mix.monitorCrossFader.value));
    mainFader_->setValue(faderPosition(mix.mainCrossFader.value));
    for (int d = 0; d < kDeckCount; ++d) level_[d]->setValue(levelPosition(mix.levelDeck[d].value));
    mainVolume_->setValue(levelPosition(mix.mainVolume.value));
    showMonitorVolume();
    refreshCurveGraph();
}

void MixerPanel::connectControls() {
    MixerEngine& engine = mixer_.engine();
    connect(mainBalance_, &QSlider::valueChanged, this, [&engine](int p) { engine.SetBalance(p / 100.0); });
    connect(mainBalanceReset_, &QPushButton::clicked, this, [this] { mainBalance_->setValue(0); });
    for (int d = 0; d < kDeckCount; ++d) {
        connect(deckPan_[d], &QSlider::valueChanged, this, [&engine, d](int p) { engine.SetDeckPan(d, p / 100.0); });
        connect(level_[d], &QSlider::valueChanged, this,
                [&engine, d](int p) { engine.SetDeckLevel(d, levelValue(p)); });
    }
    connect(leftRight_, &QPushButton::clicked, this, [this] {
        deckPan_[0]->setValue(-100);
        deckPan_[1]->setValue(100);
    });
    connect(panReset_, &QPushButton::clicked, this, [this] {
        deckPan_[0]->setValue(0);
        deckPan_[1]->setValue(0);
    });
    connect(mainVolume_, &QSlider::valueChanged, this, [&engine](int p) { engine.SetMainVolume(levelValue(p)); });
    connect(monitorVolume_, &QSlider::valueChanged, this, [&engine](int p) { engine.SetMonitorVolume(levelValue(p)); });
    connect(options_, &QPushButton::clicked, this, [this] { onOptions(); });
}

void MixerPanel::connectFaders() {
    MixerEngine& engine = mixer_.engine();
    connect(curve_, &QSlider::valueChanged, this,
            [&engine](int p) { engine.UpdateCurve(static_cast<double>(p) / kFaderRange); });
    connect(monitorFader_, &QSlider::valueChanged, this,
            [&engine](int p) { engine.SetMonitorCrossFader(static_cast<double>(p) / kFaderRange); });
    connect(mainFader_, &QSlider::valueChanged, this,
            [&engine](int p) { engine.SetMainCrossFader(static_cast<double>(p) / kFaderRange); });
    connect(cueMark_, &QSlider::valueChanged, this,
            [this](int p) { mainFader_->SetCueMark(static_cast<double>(p) / kFaderRange); });
    connect(faderCueingEnabled_, &QCheckBox::toggled, this, [this](bool on) {
        if (on)
            mainFader_->StartFaderCueing();
        else
            mainFader_->StopFaderCueing();
    });
    mainFader_->setCueingTick([this](int position, double mark) {
        faderCueing_.SetCueMark(mark);
        return faderCueing_.OnTimerTick(position);
    });
    mainFader_->setDeckWindows({mixer_.deck(0)->handle(), mixer_.deck(1)->handle()});
}

// Both decks' sliders: a refresh names one deck, but showing the other's unchanged value
// moves nothing.
void MixerPanel::showLevels() {
    CZanMixState& mix = mixer_.engine().mix();
    for (int d = 0; d < kDeckCount; ++d) level_[d]->setValue(levelPosition(mix.levelDeck[d].value));
}

// The monitor volume acts only while the monitor output has a device of its own.
void MixerPanel::showMonitorVolume() {
    const CZanMixState& mix = mixer_.engine().mix();
    const QSignalBlocker quiet(monitorVolume_);  // showing the value must not apply it
    monitorVolume_->setValue(levelPosition(mix.monitorVolume.value));
    monitorVolume_->setEnabled(mix.monitorVolume.enabled);
}

void MixerPanel::refreshCurveGraph() {
    const CZanMixOutput& main = mixer_.engine().mix().mainOutput;
    CZanCrossFadeCurveGraph::Curve a{}, b{};
    for (int i = 0; i < CZanCrossFadeCurveGraph::kPoints; ++i) {
        a[static_cast<std::size_t>(i)] = main.GetCurveValue(0, i);
        b[static_cast<std::size_t>(i)] = main.GetCurveValue(1, i);
    }
    curveGraph_->setDeckColors(deckColor[0], deckColor[1]);
    curveGraph_->setCurves(a, b);
}

void MixerPanel::onRefresh(unsigned message, LParam /*lParam*/) {
    CZanMixState& mix = mixer_.engine().mix();
    switch (message) {
        case UWM_REFRESH_CROSS_FADE_CURVE_GRAPH: refreshCurveGraph(); break;
        case UWM_SHOW_CROSS_FADE_CURVE_POSITION: curve_->setValue(faderPosition(mix.crossFadeCurve.value)); break;
        case UWM_SHOW_MONITOR_CROSS_FADER: monitorFader_->setValue(faderPosition(mix.monitorCrossFader.value)); break;
        case UWM_SHOW_MAIN_CROSS_FADER: mainFader_->setValue(faderPosition(mix.mainCrossFader.value)); break;
        case UWM_SHOW_DECK_LEVEL: showLevels(); break;
        case UWM_SHOW_MAIN_LEVEL:
            mainVolume_->setValue(levelPosition(mix.mainVolume.value));
            showMonitorVolume();
            break;
        case UWM_SHOW_DECK_METER:
            for (int d = 0; d < kDeckCount; ++d) meter_[d]->setLevel(mixer_.engine().cycle().Meter(d).GetLevel());
            break;
        default: break;
    }
}

void MixerPanel::showCpuUsage(int percent, const QString& text) {
    cpuBar_->setValue(percent);
    cpuText_->setText(text);
}

}  // namespace quillmix
