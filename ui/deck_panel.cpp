#include "ui/deck_panel.h"

#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

#include <cmath>
#include <functional>

#include "app/message_catalogue.h"
#include "app/shared_state.h"
#include "deck/deck.h"
#include "engine/chunk_analysis.h"
#include "ui/widgets/widget_support.h"
#include "ui/widgets/zan_button_ctrl.h"
#include "ui/widgets/zan_circular_chart_graph.h"
#include "ui/widgets/zan_small_controls.h"

namespace quillmix {

namespace {

// A rectangle of the panel's template, in dialog units, as pixels (the scale of dialogUnits).
QRect dialogRect(int x, int y, int width, int height) {
    const QSize origin = dialogUnits(x, y);
    const QSize size = dialogUnits(width, height);
    return {origin.width(), origin.height(), size.width(), size.height()};
}

template <typename T>
T* placed(T* control, int id, QRect rect) {
    setControlId(*control, id);
    control->setGeometry(rect);
    return control;
}

QGroupBox* frame(QWidget* parent, int id, const QString& caption, QRect rect) {
    return placed(new QGroupBox(caption, parent), id, rect);
}

// The up-down arrows beside the tempo slider. The arrows ask for a change of position
// (iDelta) in the sense of an up-down control with its default reversed range: the up
// arrow asks for -1, the down arrow for +1, so the up arrow moves the tempo slider up.
class TempoSpin : public QAbstractSpinBox {
public:
    TempoSpin(QWidget* parent, std::function<void(int)> onDelta)
        : QAbstractSpinBox(parent), onDelta_(std::move(onDelta)) {
        setButtonSymbols(QAbstractSpinBox::UpDownArrows);
        setFocusPolicy(Qt::NoFocus);
    }
    void stepBy(int steps) override { onDelta_(-steps); }

protected:
    StepEnabled stepEnabled() const override { return StepUpEnabled | StepDownEnabled; }

private:
    std::function<void(int)> onDelta_;
};

constexpr int kPositionRange = 65535;
constexpr int kTempoRange = 1000;
constexpr double kTempoSpanPercent = DeckPanel::kTempoLimitPercent;

}  // namespace

DeckPanel::DeckPanel(QWidget* parent, CZanDeck2& deck, int deckIndex)
    : PanelDialog(parent, deckIndex == 0 ? "Deck A" : "Deck B", dialogUnits(282, 212)),
      deck_(deck),
      deckIndex_(deckIndex) {
    setObjectName(deckIndex == 0 ? "deckA" : "deckB");
    createControls();
    setUpControls();
    addToolTips();
    // Keys belong to the shortcuts: a focused slider or chooser would take them.
    for (QWidget* child : findChildren<QWidget*>()) child->setFocusPolicy(Qt::NoFocus);
    setFocusPolicy(Qt::StrongFocus);
}

// The template's controls, in dialog units: chooser, position and name across the top;
// below them the platter on the left, time and length over the transport buttons and Cue
// in the middle, the tempo column on the right.
void DeckPanel::createControls() {
    frame(this, 1031, "Choose Track", dialogRect(7, 4, 268, 26));
    chooser_ = placed(new QComboBox(this), 1038, dialogRect(13, 13, 256, 12));
    frame(this, 1033, "Track Position", dialogRect(7, 32, 268, 26));
    position_ = placed(new CZanSliderCtrl(Qt::Horizontal, this), 1039, dialogRect(13, 41, 256, 12));
    frame(this, 1066, "Now Playing", dialogRect(7, 60, 268, 26));
    trackName_ = placed(new CZanTrackNameIndicator(this), 1090, dialogRect(13, 70, 256, 12));

    frame(this, 1116, "", dialogRect(7, 88, 114, 114));
    platter_ = placed(new CZanCircularChartGraph(this), 1101, dialogRect(12, 98, 104, 96));

    frame(this, 1034, "Time", dialogRect(124, 88, 82, 20));
    timeText_ = placed(new QLabel("00:00:00", this), 1003, dialogRect(130, 97, 70, 9));
    frame(this, 1055, "Length", dialogRect(124, 109, 82, 20));
    lengthText_ = placed(new QLabel("00:00:00", this), 1040, dialogRect(130, 118, 70, 9));

    frame(this, 1115, "", dialogRect(124, 130, 82, 52));
    auto button = [this](int id, int x, int y) {
        return placed(new CZanButtonCtrl(this), id, dialogRect(x, y, 24, 22));
    };
    prev_ = button(1051, 128, 134);
    play_ = button(1004, 153, 134);
    next_ = button(1050, 178, 134);
    rwnd_ = button(1053, 128, 157);
    rev_ = button(1054, 153, 157);
    ffwd_ = button(1052, 178, 157);
    cue_ = placed(new QCheckBox("Cue", this), 1113, dialogRect(128, 186, 40, 12));
    needle_ = placed(new CZanNeedle(this), 1118, dialogRect(180, 186, 12, 12));

    frame(this, 1028, "Tempo", dialogRect(209, 88, 66, 114));
    tempoText_ = placed(new QLabel("0.0 %", this), 1030, dialogRect(215, 98, 50, 10));
    tempo_ = placed(new QSlider(Qt::Vertical, this), 1029, dialogRect(217, 110, 18, 70));
    tempoSpin_ =
        placed(new TempoSpin(this, [this](int delta) { stepTempo(delta); }), 1064, dialogRect(242, 132, 14, 22));
    placed(new QPushButton("Reset", this), 1065, dialogRect(215, 184, 54, 14));
}

void DeckPanel::setUpControls() {
    resetChooser();
    connect(chooser_, &QComboBox::activated, this, [this](int index) { onChooserActivated(index); });
    deck_.Unload();  // what choosing "Nothing Loaded" does: the deck starts empty

    const WindowHandle target = deck_.handle();
    const std::pair<CZanButtonCtrl*, ButtonKind> kinds[] = {
        {ffwd_, ButtonKind::FastForward}, {next_, ButtonKind::NextTrack},     {rev_, ButtonKind::Reverse},
        {play_, ButtonKind::PlayPause},   {prev_, ButtonKind::PreviousTrack}, {rwnd_, ButtonKind::Rewind}};
    for (const auto& [button, kind] : kinds) {
        button->setKind(kind);
        button->setDeckIndex(deckIndex_);
        button->setTargetWindow(target);
    }
    for (CZanButtonCtrl* b : {play_, ffwd_, rwnd_, rev_}) b->setEnabled(false);  // until a track is buffered
    connect(play_, &QAbstractButton::clicked, this, [this] { deck_.PlayPause(false); });
    const WParam d = static_cast<WParam>(deckIndex_);
    connect(next_, &QAbstractButton::clicked, this, [d] { sendMessage(mixerWindow, UWM_NEXT_TRACK, d); });
    connect(prev_, &QAbstractButton::clicked, this, [d] { sendMessage(mixerWindow, UWM_PREVIOUS_TRACK, d); });
    connect(cue_, &QCheckBox::clicked, this, [this](bool checked) { deck_.SetCue(checked); });
    connect(findChild<QPushButton*>("1065"), &QPushButton::clicked, this, [this] {
        const QSignalBlocker quiet(tempo_);
        tempo_->setValue(0);
        applyTempo();
    });

    // Minimum at the top: up is faster.
    tempo_->setRange(-kTempoRange, kTempoRange);
    tempo_->setInvertedAppearance(true);
    tempo_->setInvertedControls(true);
    connect(tempo_, &QSlider::valueChanged, this, [this] { applyTempo(); });
    onRefresh(UWM_SHOW_TEMPO_SLIDER, 0);

    position_->setDeckIndex(deckIndex_);
    position_->setTargetWindow(target);
    position_->setRange(0, kPositionRange);
    connect(position_, &QSlider::valueChanged, this, [this](int value) { onPositionMoved(value); });
    position_->installEventFilter(this);

    platter_->setDeck(deckIndex_);
    platter_->setTargetWindow(target);
    platter_->setDeckColor(deckColor[static_cast<std::size_t>(deckIndex_)]);
}

// Every tip names the keys of the keyboard map that act on the control.
void DeckPanel::addToolTips() {
    chooser_->setToolTip("select file or CD");
    auto tip = [this](QWidget* control, WindowKeyKind kind) {
        control->setToolTip(QString::fromStdString(windowKeyTip(kind, deckIndex_)));
    };
    tip(cue_, WindowKeyKind::cue);
    tip(rev_, WindowKeyKind::rev);
    tip(play_, WindowKeyKind::play);
    tip(ffwd_, WindowKeyKind::ffwd);
    tip(rwnd_, WindowKeyKind::rwnd);
    tip(position_, WindowKeyKind::position);
    tempo_->setToolTip(QString::fromStdString(heldKeyTip(deckIndex_ == 0 ? HeldTarget::tempoA : HeldTarget::tempoB)));
}

CZanButtonCtrl* DeckPanel::keyButton(WindowKeyKind kind) const {
    switch (kind) {
        case WindowKeyKind::rev: return rev_;
        case WindowKeyKind::ffwd: return ffwd_;
        case WindowKeyKind::rwnd: return rwnd_;
        case WindowKeyKind::play: return play_;
        default: return nullptr;
    }
}

void DeckPanel::showTempo() {
    const QSignalBlocker quiet(tempo_);
    tempo_->setValue(static_cast<int>(std::lround(-deck_.tempoPercent() * kTempoRange / kTempoSpanPercent)));
}

void DeckPanel::onRefresh(unsigned message, LParam lParam) {
    switch (message) {
        case UWM_SHOW_TIME_TEXT:
            timeText_->setText(QString::fromStdString(deck_.timeText()));
            syncChooser();
            break;
        case UWM_SHOW_TIME_ENABLED: timeText_->setEnabled(!deck_.IsShowingCueTime()); break;
        case UWM_SHOW_LENGTH_TEXT: lengthText_->setText(QString::fromStdString(deck_.lengthText())); break;
        case UWM_SHOW_TEMPO_TEXT: tempoText_->setText(QString::fromStdString(deck_.tempoText())); break;
        case UWM_SHOW_TEMPO_SLIDER: {
            const QSignalBlocker quiet(tempo_);
            tempo_->setValue(static_cast<int>(std::trunc(-deck_.tempoPercent() * kTempoRange / kTempoSpanPercent)));
            applyTempo();  // the slider's redraw applies its position
            break;
        }
        case UWM_SHOW_POSITION_SLIDER:
            // A report queued before a drag began must not pull the handle from the pointer.
            if (!position_->isSliderDown()) {
                const QSignalBlocker quiet(position_);
                position_->setValue(static_cast<int>(std::trunc(deck_.positionFraction() * kPositionRange)));
            }
            syncChooser();
            break;
        case UWM_SHOW_CUE_BUTTON: cue_->setChecked(deck_.IsCueOn()); break;
        case UWM_SHOW_TRACK_NAME:
            showTrackName();
            syncChooser();
            break;
        case UWM_ENABLE_REVERSE_BUTTON: rev_->setEnabled(lParam != 0); break;
        case UWM_ENABLE_TRANSPORT_BUTTONS:
            for (CZanButtonCtrl* b : {ffwd_, play_, rwnd_}) b->setEnabled(lParam != 0);
            break;
        case UWM_REDRAW_CIRCULAR_CHART: redrawPlatter(); break;
        default: break;
    }
}

void DeckPanel::applyTempo() { deck_.SetTempo(-tempo_->value() * kTempoSpanPercent / kTempoRange); }

void DeckPanel::stepTempo(int delta) {
    if (delta == 0) return;
    tempo_->setValue(tempo_->value() + (delta >= 1 ? kTempoSpinStep : -kTempoSpinStep));
}

// While the deck seeks (a drag began on the slider), the time text follows the handle.
void DeckPanel::onPositionMoved(int value) {
    if (deck_.seeking()) deck_.DragPositionTo(static_cast<double>(value) / kPositionRange);
}

// The slider gives the mouse up: the deck moves to where the handle was let go. Queued, so
// the slider has taken its final position first.
bool DeckPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == position_ && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        QMetaObject::invokeMethod(
            this, [this] { deck_.EndPositionDrag(static_cast<double>(position_->value()) / kPositionRange); },
            Qt::QueuedConnection);
    }
    return PanelDialog::eventFilter(watched, event);
}

void DeckPanel::showTrackName() {
    QString name = QString::fromStdString(deck_.trackTitle());
    if (name.isEmpty()) {
        const QString path = QString::fromStdString(deck_.GetCurrentTrackPath());
        name = path.section('/', -1);
        const int dot = name.lastIndexOf('.');
        if (dot > 0) name.truncate(dot);
    }
    trackName_->setText(name);
    trackName_->repaint();
}

void DeckPanel::redrawPlatter() {
    if (analysis_)
        platter_->setChart(analysis_->chartMinimum(deckIndex_), analysis_->chartMaximum(deckIndex_),
                           analysis_->chartCursor(deckIndex_));
    platter_->repaint();
}

}  // namespace quillmix
