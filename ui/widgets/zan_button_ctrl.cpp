#include "ui/widgets/zan_button_ctrl.h"

#include <QMouseEvent>
#include <QPainter>

#include <array>

#include "app/message_catalogue.h"
#include "ui/widgets/widget_support.h"

namespace quillmix {

namespace {

// File names of a kind's images; an empty disabled name means the kind has none.
struct KindImages {
    ButtonKind kind;
    const char* normal;
    const char* pressed;
    const char* disabled;
};

constexpr std::array<KindImages, 15> kImages{{
    {ButtonKind::AddFile, "addFile.png", "addFileSelected.png", ""},
    {ButtonKind::AddFolder, "addFolder.png", "addFolderSelected.png", ""},
    {ButtonKind::DeckSwap, "deckSwap.png", "deckSwapSelected.png", ""},
    {ButtonKind::Delete, "delete.png", "deleteSelected.png", ""},
    {ButtonKind::DeleteAll, "deleteAll.png", "deleteAllSelected.png", ""},
    {ButtonKind::FastForward, "fastForward.png", "fastForwardSelected.png", "fastForwardDisabled.png"},
    {ButtonKind::MoveDown, "moveDown.png", "moveDownSelected.png", ""},
    {ButtonKind::MoveUp, "moveUp.png", "moveUpSelected.png", ""},
    {ButtonKind::NextTrack, "nextTrack.png", "nextTrackSelected.png", ""},
    {ButtonKind::PreviousTrack, "previousTrack.png", "previousTrackSelected.png", ""},
    {ButtonKind::Rewind, "rewind.png", "rewindSelected.png", "rewindDisabled.png"},
    {ButtonKind::Save, "save.png", "saveSelected.png", ""},
    {ButtonKind::Reverse, "reverse.png", "reverseSelected.png", "reverseDisabled.png"},
    {ButtonKind::PlayPause, "playPause.png", "playPauseSelected.png", "playPauseDisabled.png"},
    {ButtonKind::Power, "powerOff.png", "powerOffSelected.png", ""},
}};
constexpr KindImages kPowerOnImages{ButtonKind::Power, "powerOn.png", "powerOnSelected.png", ""};

const KindImages* imagesOf(ButtonKind kind, bool powerOn) {
    if (kind == ButtonKind::Power && powerOn) return &kPowerOnImages;
    for (const KindImages& k : kImages)
        if (k.kind == kind) return &k;
    return nullptr;
}

// The begin and end messages of the transport kinds; 0 for the others.
std::pair<unsigned, unsigned> pressMessages(ButtonKind kind) {
    switch (kind) {
        case ButtonKind::Reverse: return {UWM_REVERSE_BEGIN, UWM_REVERSE_END};
        case ButtonKind::Rewind: return {UWM_REWIND_BEGIN, UWM_REWIND_END};
        case ButtonKind::FastForward: return {UWM_FAST_FORWARD_BEGIN, UWM_FAST_FORWARD_END};
        default: return {0, 0};
    }
}

}  // namespace

CZanButtonCtrl::CZanButtonCtrl(QWidget* parent, int controlId) : QAbstractButton(parent) {
    setControlId(*this, controlId);
    setAttribute(Qt::WA_OpaquePaintEvent);  // the face colour covers the whole button
    connect(this, &QAbstractButton::toggled, this, &CZanButtonCtrl::setPowerOn);
}

void CZanButtonCtrl::setKind(ButtonKind kind) {
    kind_ = kind;
    update();
}

void CZanButtonCtrl::setPowerOn(bool on) {
    if (powerOn_ == on) return;
    powerOn_ = on;
    update();
}

QString CZanButtonCtrl::imageName() const {
    const KindImages* images = imagesOf(kind_, powerOn_);
    if (!images) return {};
    if (!isEnabled() && images->disabled[0] != '\0') return QString::fromLatin1(images->disabled);
    return QString::fromLatin1(pressed_ ? images->pressed : images->normal);
}

QStringList CZanButtonCtrl::allImageNames() {
    QStringList names;
    auto add = [&names](const KindImages& k) {
        names << QString::fromLatin1(k.normal) << QString::fromLatin1(k.pressed);
        if (k.disabled[0] != '\0') names << QString::fromLatin1(k.disabled);
    };
    for (const KindImages& k : kImages) add(k);
    add(kPowerOnImages);
    return names;
}

void CZanButtonCtrl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), faceColor(*this));
    const QString name = imageName();
    if (name.isEmpty()) return;
    const QImage& image = skinImage(name);
    if (image.isNull()) return;
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect(), image);
}

void CZanButtonCtrl::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && !pressed_) beginPress();
    QAbstractButton::mousePressEvent(event);
}

void CZanButtonCtrl::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) endPress();
    QAbstractButton::mouseReleaseEvent(event);
}

void CZanButtonCtrl::changeEvent(QEvent* event) {
    // A disabled button receives no release: end the press here so the deck never stays
    // in rewind or reverse.
    if (event->type() == QEvent::EnabledChange) {
        if (!isEnabled()) endPress();
        update();
    }
    QAbstractButton::changeEvent(event);
}

void CZanButtonCtrl::hideEvent(QHideEvent* event) {
    endPress();
    QAbstractButton::hideEvent(event);
}

void CZanButtonCtrl::pressFromKey(bool showOnly) {
    if (pressed_ || (!isEnabled() && !showOnly)) return;
    beginPress();
}

void CZanButtonCtrl::beginPress() {
    pressed_ = true;
    if (const unsigned begin = pressMessages(kind_).first) postIfSet(target_, begin, static_cast<WParam>(deckIndex_));
    update();
}

// Posts the end only for a press that posted its begin.
void CZanButtonCtrl::endPress() {
    if (!pressed_) return;
    pressed_ = false;
    if (const unsigned end = pressMessages(kind_).second) postIfSet(target_, end, static_cast<WParam>(deckIndex_));
    update();
}

}  // namespace quillmix
