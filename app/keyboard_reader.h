#pragma once
// The keyboard reader polled by the keyboard thread: which mapped keys are held now, in the
// fixed output order of the shortcut table, and the state of Shift and Ctrl.

#include <array>
#include <cstdint>

#include "platform/held_keys.h"

namespace quillmix {

class KeyboardReader {
public:
    static constexpr int kMappedKeyCount = 49;

    explicit KeyboardReader(const HeldKeys& keys) : keys_(keys) {}

    // Any thread. The codes of the mapped keys held down now, in table order; count is set
    // to how many there are. The array stays valid until the next call on this reader.
    const std::uint8_t* GetPressedKeys(int& count);
    bool IsShiftDown() const { return keys_.isDown(HeldKeys::kShift); }
    bool IsCtrlDown() const { return keys_.isDown(HeldKeys::kCtrl); }
    bool IsAnyKeyDown() const { return keys_.anyDown(); }

    // The poll thread sleeps here while no key is down (HeldKeys::waitForPress); Wake ends
    // the sleep, for a stop.
    void WaitForKey() const { keys_.waitForPress(); }
    void Wake() const { keys_.wake(); }

    // The mapped key codes in output order.
    static const std::array<std::uint8_t, kMappedKeyCount>& mappedKeys();

private:
    const HeldKeys& keys_;
    std::array<std::uint8_t, kMappedKeyCount> pressed_{};
};

}  // namespace quillmix
