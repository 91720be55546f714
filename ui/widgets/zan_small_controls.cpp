#include "ui/widgets/zan_small_controls.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

#include "app/message_catalogue.h"
#include "ui/widgets/widget_support.h"

namespace quillmix {

namespace {

QFont nameFont() {
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    font.setPixelSize(CZanTrackNameIndicator::kFontPixels);
    font.setWeight(QFont::Normal);
    return font;
}

}  // namespace

// ---- CZanSliderCtrl ----

CZanSliderCtrl::CZanSliderCtrl(Qt::Orientation orientation, QWidget* parent, int controlId)
    : QSlider(orientation, parent) {
    setControlId(*this, controlId);
}

void CZanSliderCtrl::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) postIfSet(target_, UWM_POSITION_DRAG_BEGIN, static_cast<WParam>(deckIndex_));
    QSlider::mousePressEvent(event);
}

// ---- CZanTrackNameIndicator ----

CZanTrackNameIndicator::CZanTrackNameIndicator(QWidget* parent, int controlId) : QWidget(parent) {
    setControlId(*this, controlId);
    setFont(nameFont());
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CZanTrackNameIndicator::setText(const QString& text) {
    if (text == text_ && offset_ == 0) return;
    text_ = text;
    offset_ = 0;
    update();
}

void CZanTrackNameIndicator::advance() {
    const int length = static_cast<int>(text_.size());
    if (length <= kVisibleCharacters) return;
    offset_ = (offset_ + 1) % (length - kVisibleCharacters);
    update();
}

QSize CZanTrackNameIndicator::sizeHint() const {
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(QString(kVisibleCharacters, QChar('M'))) + 2, metrics.height() + 2};
}

void CZanTrackNameIndicator::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), faceColor(*this));
    painter.setPen(Qt::black);
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text_.mid(offset_, kVisibleCharacters));
}

// ---- CZanNeedle ----

CZanNeedle::CZanNeedle(QWidget* parent, int controlId) : QWidget(parent) {
    setControlId(*this, controlId);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CZanNeedle::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), faceColor(*this));
    const qreal w = width() - 1;
    const qreal h = height() - 1;
    const QPointF triangle[3] = {{0.0, 0.0}, {0.0, h}, {w, h / 2.0}};
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1.0));
    painter.setBrush(QColor(0xC0, 0xC0, 0xC0));
    painter.drawPolygon(triangle, 3);
}

}  // namespace quillmix
