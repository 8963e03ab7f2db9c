#include "terminal/keypad.h"

#include <Qt>
#include <algorithm>
#include <utility>

namespace keldaro::terminal {

const std::array<Key, 30>& Keypad() {
  static const std::array<Key, 30> keys = {{
      {"Button1", "7", 0x37},    {"Button2", "8", 0x38},     {"Button3", "9", 0x39},
      {"Button4", "M", 0x4D},    {"Button5", "shift", 0x73}, {"Button6", "ON", 0x51},
      {"Button7", "4", 0x34},    {"Button8", "5", 0x35},     {"Button9", "6", 0x36},
      {"Button10", "PLU", 0x50}, {"Button11", "DRW", 0x61},  {"Button12", "LF", 0x62},
      {"Button13", "1", 0x31},   {"Button14", "2", 0x32},    {"Button15", "3", 0x33},
      {"Button16", "X", 0x58},   {"Button17", "PAY", 0x63},  {"Button18", "%-", 0x64},
      {"Button19", "0", 0x30},   {"Button20", "00", 0x2E},   {"Button21", "C", 0x43},
      {"Button22", "TOT", 0x53}, {"Button23", "<", 0x65},    {"Button24", ">", 0x66},
      {"Button25", "C1", 0x56},  {"Button26", "-0-", 0x5A},  {"Button27", "-T-", 0x54},
      {"Button28", "C2", 0x57},  {"Button29", "<=", 0x67},   {"Button30", "<=|", 0x68},
  }};
  return keys;
}

std::optional<std::uint8_t> CodeOfCaption(const QString& caption) {
  const auto& keys = Keypad();
  const auto it = std::find_if(keys.begin(), keys.end(), [&](const Key& key) {
    return caption == QLatin1String(key.caption);
  });
  if (it == keys.end()) return std::nullopt;
  return it->code;
}

std::uint8_t CodeOfVirtualKey(int vk) {
  if (vk >= 0x30 && vk <= 0x39) return static_cast<std::uint8_t>(vk);                  // the digits
  if (vk >= 0x70 && vk <= 0x77) return static_cast<std::uint8_t>(0x61 + (vk - 0x70));  // F1..F8
  switch (vk) {
    case 0x1B:  // Esc
    case 0x43:  // C
      return 0x43;
    case 0x54:  // T: "-T-"
    case 0x5A:  // Z: "-0-"
    case 0x4D:  // M
    case 0x50:  // P: "PLU"
    case 0x58:  // X
    case 0x53:  // S: "TOT"
      return static_cast<std::uint8_t>(vk);
    case 0x4C:  // L: "LF"
      return 0x62;
    case 0x4F:  // O: "DRW"
      return 0x61;
    case 0x2D:  // Insert: "%-"
      return 0x64;
    case 0x0D:  // Enter: "<=|"
      return 0x68;
    case 0x08:  // Backspace: "<="
      return 0x67;
    case 0x25:  // Left arrow
    case 0x2C:  // Print Screen
      return 0x65;
    case 0x27:  // Right arrow
    case 0x2E:  // Delete
      return 0x66;
    case 0x7A:  // F11: "C1"
      return 0x56;
    case 0x7B:  // F12: "C2"
      return 0x57;
    case 0x10:  // Shift
      return 0x73;
    default:
      return 0x00;
  }
}

namespace {

// The virtual key ('0'..'9') of a main-block digit key by its place on the keyboard, or 0 for
// another key.
int DigitRowKey(const KeyPress& press) {
  // X11 and Wayland report XKB keycodes, which number the digit row 1..9, 0 as 10..19 on every
  // layout.
  constexpr std::uint32_t kXkbKeyOne = 10;
  constexpr std::uint32_t kXkbKeyZero = 19;
  if (press.native_scan_code >= kXkbKeyOne && press.native_scan_code <= kXkbKeyZero) {
    return press.native_scan_code == kXkbKeyZero
               ? '0'
               : '1' + static_cast<int>(press.native_scan_code - kXkbKeyOne);
  }
  // Without the platform's numbers (synthetic events, other platforms) Shift+digit is known by
  // the US layout's symbols above the digits.
  if (press.native_scan_code != 0 || !press.modifiers.testFlag(Qt::ShiftModifier)) return 0;
  static constexpr std::pair<int, char> kShiftedDigits[] = {
      {Qt::Key_Exclam, '1'},     {Qt::Key_At, '2'},       {Qt::Key_NumberSign, '3'},
      {Qt::Key_Dollar, '4'},     {Qt::Key_Percent, '5'},  {Qt::Key_AsciiCircum, '6'},
      {Qt::Key_Ampersand, '7'},  {Qt::Key_Asterisk, '8'}, {Qt::Key_ParenLeft, '9'},
      {Qt::Key_ParenRight, '0'},
  };
  for (const auto& [qt_key, digit] : kShiftedDigits) {
    if (qt_key == press.qt_key) return digit;
  }
  return 0;
}

}  // namespace

int VirtualKeyOfQtKey(int key, bool on_keypad) {
  // Qt numbers digits and letters as the virtual keys do (upper case for either).
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return on_keypad ? 0x60 + (key - Qt::Key_0) : key;
  if (key >= Qt::Key_A && key <= Qt::Key_Z) return key;
  if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return 0x70 + (key - Qt::Key_F1);
  static constexpr std::pair<int, int> kOthers[] = {
      {Qt::Key_Backspace, 0x08}, {Qt::Key_Tab, 0x09},     {Qt::Key_Return, 0x0D},
      {Qt::Key_Enter, 0x0D},  // the keypad's Enter is VK_RETURN as well
      {Qt::Key_Shift, 0x10},     {Qt::Key_Control, 0x11}, {Qt::Key_Alt, 0x12},
      {Qt::Key_Escape, 0x1B},    {Qt::Key_Space, 0x20},   {Qt::Key_PageUp, 0x21},
      {Qt::Key_PageDown, 0x22},  {Qt::Key_End, 0x23},     {Qt::Key_Home, 0x24},
      {Qt::Key_Left, 0x25},      {Qt::Key_Up, 0x26},      {Qt::Key_Right, 0x27},
      {Qt::Key_Down, 0x28},      {Qt::Key_Print, 0x2C},   {Qt::Key_Insert, 0x2D},
      {Qt::Key_Delete, 0x2E},
  };
  for (const auto& [qt_key, virtual_key] : kOthers) {
    if (qt_key == key) return virtual_key;
  }
  return 0;
}

int VirtualKeyOfKeyPress(const KeyPress& press) {
  const bool on_keypad = press.modifiers.testFlag(Qt::KeypadModifier);
  if (!on_keypad) {
    if (const int digit = DigitRowKey(press); digit != 0) return digit;
  }
  return VirtualKeyOfQtKey(press.qt_key, on_keypad);
}

}  // namespace keldaro::terminal
