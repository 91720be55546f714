#pragma once
// Which keys are held down right now, kept from the key press and release events of our
// own windows. Written on the window thread, read by the keyboard poll thread: each key is
// one atomic byte, so a poll never waits for the writer.
//
// Keys are named by their 8-bit key codes: '0'-'9', 'A'-'Z', ';', ',', '.', '/' (keypad
// divide), 0x20 space, 0x21/0x22 Page Up/Down, 0x23 End, 0x24 Home, 0x25-0x28 arrows
// (left, up, right, down), and the modifiers kShift and kCtrl.

#include <array>
#include <atomic>
#include <cstdint>

class QKeyEvent;

namespace quillmix {

class HeldKeys {
public:
    static constexpr std::uint8_t kShift = 0x10;
    static constexpr std::uint8_t kCtrl = 0x11;

    void press(std::uint8_t code);
    void release(std::uint8_t code);
    void releaseAll();  // the application lost focus: no key may stick
    bool isDown(std::uint8_t code) const { return held_[code].load(std::memory_order_relaxed) != 0; }
    bool anyDown() const { return downCount_.load() > 0; }

    // Any thread (the poll thread): returns at once while some key is down; otherwise
    // sleeps until a key goes down or wake() is called. May also return early, so callers
    // check what they wait for again.
    void waitForPress() const;
    // Any thread: ends every waitForPress now, as a stop does.
    void wake() const;

    // Window thread: records a key event of one of our windows. Returns false for keys that
    // have no code. Auto-repeated presses change nothing.
    bool record(const QKeyEvent& event);

    // The code of a key event: from the hardware scan code where the platform gives one (so
    // Shift+1 is still '1'), otherwise from the key symbol. 0 when the key has no code.
    static std::uint8_t codeOf(const QKeyEvent& event);

private:
    std::array<std::atomic<std::uint8_t>, 256> held_{};
    // Sequentially consistent: a key's count comes before its change, so a waiter that
    // took the change counter and then saw no key down sleeps on a value that the press
    // has not yet moved past, and wakes.
    std::atomic<int> downCount_{0};
    mutable std::atomic<std::uint32_t> changes_{0};
};

}  // namespace quillmix

namespace quillmix {

// Window thread: records the key events of every window of the application into `keys`,
// and releases every key when the application stops being the active one, so that no key
// sticks after focus moves elsewhere. Needs a QApplication; lives as long as it.
void installHeldKeyRecorder(HeldKeys& keys);

}  // namespace quillmix
