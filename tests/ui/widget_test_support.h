#pragma once
// Helpers of the widget tests: what the controls posted, synthetic mouse events, rendering a
// control into an image, and counting a control's paints.
#include <gtest/gtest.h>

#include <QApplication>
#include <QColor>
#include <QCoreApplication>
#include <QEvent>
#include <QImage>
#include <QMouseEvent>
#include <QWidget>

#include <vector>

#include "platform/messaging.h"
#include "support/message_recorder.h"

namespace quillmix::test {

// The messages `window` has been sent or posted so far, after dispatching what is queued.
inline std::vector<unsigned> postedTo(MessageRecorder& window) {
    dispatchPendingMessages();
    std::vector<unsigned> out;
    for (const RecordedMessage& m : window.log) out.push_back(m.message);
    return out;
}

// The child of `parent` named by the number `id`; fails the test when there is none.
template <typename T = QWidget>
T* control(const QWidget& parent, int id) {
    T* c = parent.findChild<T*>(QString::number(id));
    EXPECT_NE(c, nullptr) << id;
    return c;
}

inline void sendMouse(QWidget& widget, QEvent::Type type, QPointF pos, Qt::MouseButton button = Qt::LeftButton) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(Qt::LeftButton);
    QMouseEvent event(type, pos, widget.mapToGlobal(pos), type == QEvent::MouseMove ? Qt::NoButton : button, held,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &event);
}

inline QImage renderControl(QWidget& widget) {
    QImage image(widget.size(), QImage::Format_ARGB32);
    image.fill(Qt::magenta);
    widget.render(&image);
    return image;
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget& widget) { widget.installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
    int paints = 0;
};

inline bool near(QColor a, QColor b, int tolerance = 8) {
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

}  // namespace quillmix::test
