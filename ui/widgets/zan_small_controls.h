#pragma once
// The deck panel's small self-drawn controls:
//   - CZanSliderCtrl, the position slider: a press posts UWM_POSITION_DRAG_BEGIN (deck) to
//     its target window before the slider acts on it, so the deck knows a drag starts;
//   - CZanTrackNameIndicator, the track name: at most 29 characters from the scroll
//     offset, black monospace at 16 pixels on the face colour;
//   - CZanNeedle, a right-pointing marker that shows no value.
//
// Threads: window thread only.

#include <QSlider>
#include <QString>
#include <QWidget>

#include "platform/messaging.h"

namespace quillmix {

class CZanSliderCtrl : public QSlider {
    Q_OBJECT
public:
    explicit CZanSliderCtrl(Qt::Orientation orientation = Qt::Horizontal, QWidget* parent = nullptr, int controlId = 0);

    void setDeckIndex(int deck) { deckIndex_ = deck; }
    int deckIndex() const { return deckIndex_; }
    void setTargetWindow(WindowHandle window) { target_ = window; }

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    int deckIndex_ = 0;
    WindowHandle target_;
};

class CZanTrackNameIndicator : public QWidget {
    Q_OBJECT
public:
    static constexpr int kVisibleCharacters = 29;
    static constexpr int kFontPixels = 16;

    explicit CZanTrackNameIndicator(QWidget* parent = nullptr, int controlId = 0);

    // Replaces the text and starts it again from its first character; redraws only when
    // the text changes.
    void setText(const QString& text);
    QString text() const { return text_; }
    // Scrolls a text longer than 29 characters by one character, wrapping round.
    void advance();
    int scrollOffset() const { return offset_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString text_;
    int offset_ = 0;
};

class CZanNeedle : public QWidget {
    Q_OBJECT
public:
    explicit CZanNeedle(QWidget* parent = nullptr, int controlId = 0);
    QSize sizeHint() const override { return {16, 16}; }

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace quillmix
