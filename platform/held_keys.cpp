#include "platform/held_keys.h"

#include <QKeyEvent>

#include <unordered_map>

namespace quillmix {

namespace {

// Linux input event codes (X11 scan code - 8) of the keys we track.
std::uint8_t codeFromEvdev(quint32 evdev) {
    static const std::unordered_map<quint32, std::uint8_t> table = {
        {2, '1'},
        {3, '2'},
        {4, '3'},
        {5, '4'},
        {6, '5'},
        {7, '6'},
        {8, '7'},
        {9, '8'},
        {10, '9'},
        {11, '0'},
        {16, 'Q'},
        {17, 'W'},
        {18, 'E'},
        {19, 'R'},
        {20, 'T'},
        {21, 'Y'},
        {22, 'U'},
        {23, 'I'},
        {24, 'O'},
        {25, 'P'},
        {30, 'A'},
        {31, 'S'},
        {32, 'D'},
        {33, 'F'},
        {34, 'G'},
        {35, 'H'},
        {36, 'J'},
        {37, 'K'},
        {38, 'L'},
        {39, ';'},
        {44, 'Z'},
        {45, 'X'},
        {46, 'C'},
        {47, 'V'},
        {48, 'B'},
        {49, 'N'},
        {50, 'M'},
        {51, ','},
        {52, '.'},
        {98, '/'},
        {57, 0x20},
        {109, 0x22},
        {104, 0x21},
        {102, 0x24},
        {107, 0x23},
        {108, 0x28},
        {105, 0x25},
        {106, 0x27},
        {103, 0x26},
        {42, HeldKeys::kShift},
        {54, HeldKeys::kShift},
        {29, HeldKeys::kCtrl},
        {97, HeldKeys::kCtrl},
    };
    auto it = table.find(evdev);
    return it == table.end() ? 0 : it->second;
}

std::uint8_t codeFromQtKey(int key, bool keypad) {
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return static_cast<std::uint8_t>(key);
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return static_cast<std::uint8_t>(key);
    // Shifted digits and punctuation of a US layout, for platforms without scan codes.
    static const std::unordered_map<int, std::uint8_t> table = {
        {Qt::Key_Exclam, '1'},
        {Qt::Key_At, '2'},
        {Qt::Key_NumberSign, '3'},
        {Qt::Key_Dollar, '4'},
        {Qt::Key_Percent, '5'},
        {Qt::Key_AsciiCircum, '6'},
        {Qt::Key_Ampersand, '7'},
        {Qt::Key_Asterisk, '8'},
        {Qt::Key_ParenLeft, '9'},
        {Qt::Key_ParenRight, '0'},
        {Qt::Key_Semicolon, ';'},
        {Qt::Key_Colon, ';'},
        {Qt::Key_Comma, ','},
        {Qt::Key_Less, ','},
        {Qt::Key_Period, '.'},
        {Qt::Key_Greater, '.'},
        {Qt::Key_Space, 0x20},
        {Qt::Key_PageDown, 0x22},
        {Qt::Key_PageUp, 0x21},
        {Qt::Key_Home, 0x24},
        {Qt::Key_End, 0x23},
        {Qt::Key_Down, 0x28},
        {Qt::Key_Left, 0x25},
        {Qt::Key_Right, 0x27},
        {Qt::Key_Up, 0x26},
        {Qt::Key_Shift, HeldKeys::kShift},
        {Qt::Key_Control, HeldKeys::kCtrl},
    };
    if (key == Qt::Key_Slash) return keypad ? '/' : 0;
    auto it = table.find(key);
    return it == table.end() ? 0 : it->second;
}

}  // namespace

void HeldKeys::press(std::uint8_t code) {
    if (held_[code].exchange(1, std::memory_order_relaxed) != 0) return;
    downCount_.fetch_add(1);
    wake();
}

void HeldKeys::release(std::uint8_t code) {
    if (held_[code].exchange(0, std::memory_order_relaxed) != 0) downCount_.fetch_sub(1);
}

void HeldKeys::releaseAll() {
    for (int code = 0; code < 256; ++code) release(static_cast<std::uint8_t>(code));
}

void HeldKeys::waitForPress() const {
    const std::uint32_t seen = changes_.load();
    if (anyDown()) return;
    changes_.wait(seen);
}

void HeldKeys::wake() const {
    changes_.fetch_add(1);
    changes_.notify_all();
}

std::uint8_t HeldKeys::codeOf(const QKeyEvent& event) {
    // X11 reports scan codes offset by 8 from the kernel's input codes.
    if (event.nativeScanCode() > 8) {
        if (std::uint8_t c = codeFromEvdev(event.nativeScanCode() - 8)) return c;
    }
    return codeFromQtKey(event.key(), event.modifiers().testFlag(Qt::KeypadModifier));
}

bool HeldKeys::record(const QKeyEvent& event) {
    std::uint8_t code = codeOf(event);
    if (code == 0) return false;
    if (event.type() == QEvent::KeyPress)
        press(code);
    else if (event.type() == QEvent::KeyRelease && !event.isAutoRepeat())
        release(code);
    return true;
}

}  // namespace quillmix

#include <QCoreApplication>
#include <QGuiApplication>
#include <QObject>

namespace quillmix {

namespace {

class HeldKeyRecorder : public QObject {
public:
    HeldKeyRecorder(HeldKeys& keys, QObject* parent) : QObject(parent), keys_(keys) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
            case QEvent::KeyPress:
            case QEvent::KeyRelease:
                // A key event passes through the filter once for each object it is delivered
                // to; recording it again changes nothing.
                keys_.record(*static_cast<QKeyEvent*>(event));
                break;
            case QEvent::ApplicationStateChange:
                if (watched == QCoreApplication::instance() &&
                    static_cast<QApplicationStateChangeEvent*>(event)->applicationState() != Qt::ApplicationActive)
                    keys_.releaseAll();
                break;
            default: break;
        }
        return false;
    }

private:
    HeldKeys& keys_;
};

}  // namespace

void installHeldKeyRecorder(HeldKeys& keys) {
    auto* app = QCoreApplication::instance();
    if (app) app->installEventFilter(new HeldKeyRecorder(keys, app));
}

}  // namespace quillmix
