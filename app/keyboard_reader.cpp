#include "app/keyboard_reader.h"

namespace quillmix {

const std::array<std::uint8_t, KeyboardReader::kMappedKeyCount>& KeyboardReader::mappedKeys() {
    static const std::array<std::uint8_t, kMappedKeyCount> keys = {
        '1', '2', '3', '4', '5', '6', '7',  '8',  '9',  '0',  'Q',  'W',  'E',  'R',  'T',  'Y', 'U',
        'I', 'O', 'P', 'A', 'S', 'D', 'F',  'G',  'H',  'J',  'K',  'L',  ';',  'Z',  'X',  'C', 'V',
        'B', 'N', 'M', ',', '.', '/', 0x20, 0x22, 0x21, 0x24, 0x23, 0x28, 0x25, 0x27, 0x26,
    };
    return keys;
}

const std::uint8_t* KeyboardReader::GetPressedKeys(int& count) {
    count = 0;
    for (std::uint8_t code : mappedKeys())
        if (keys_.isDown(code)) pressed_[count++] = code;
    return pressed_.data();
}

}  // namespace quillmix
