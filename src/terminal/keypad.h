// The scale's keypad as the terminal drives it: the thirty keys with their captions and the key
// codes command 64 sends, and the PC keyboard's keys (by Windows virtual-key code) mapped onto
// the same codes.
#pragma once

#include <QString>
#include <Qt>
#include <array>
#include <cstdint>
#include <optional>

namespace keldaro::terminal {

struct Key {
  const char* button;  // object name of the keypad button
  const char* caption;
  std::uint8_t code;
};

// Row by row, six keys a row: Button1 "7" to Button30 "<=|".
const std::array<Key, 30>& Keypad();

// The code of the keypad key with this caption ("00", "ON", "PLU", ...), if there is one.
std::optional<std::uint8_t> CodeOfCaption(const QString& caption);

// The code a PC key sends, by its Windows virtual-key code; 0x00 for every key not in the map.
std::uint8_t CodeOfVirtualKey(int virtual_key);

// The Windows virtual-key code of a Qt key (Qt::Key), so the keyboard map above serves on every
// platform. Digits of the numeric keypad (`on_keypad`) keep codes of their own, apart from the
// main block's, and so send 0x00 as they do on Windows. A key with no code here gives 0.
int VirtualKeyOfQtKey(int qt_key, bool on_keypad);

// A key press as the window system reports it: Qt's key, the modifiers, and the platform's own
// number of the key's place (an XKB keycode; 0 where the event has none).
struct KeyPress {
  int qt_key = 0;
  Qt::KeyboardModifiers modifiers;
  std::uint32_t native_scan_code = 0;
};

// The Windows virtual-key code of a key press. A digit key of the main block gives its digit
// whatever Shift and the keyboard layout make of it (Shift+1 is Qt::Key_Exclam on a US layout),
// as Windows names those keys by their place; every other key goes by VirtualKeyOfQtKey.
int VirtualKeyOfKeyPress(const KeyPress& press);

}  // namespace keldaro::terminal
