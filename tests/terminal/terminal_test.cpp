#include <gtest/gtest.h>

#include "terminal/display.h"
#include "terminal/keypad.h"

namespace keldaro::terminal {
namespace {

TEST(KeypadTest, CaptionsAndPcKeysGiveTheScalesCodes) {
  EXPECT_EQ(CodeOfCaption("00"), 0x2E);
  EXPECT_EQ(CodeOfCaption("ON"), 0x51);
  EXPECT_EQ(CodeOfCaption("<=|"), 0x68);
  EXPECT_EQ(CodeOfCaption("on"), std::nullopt);
  EXPECT_EQ(Keypad()[19].caption, std::string("00"));  // Button20
  EXPECT_EQ(CodeOfVirtualKey(0x72), 0x63);             // F3: "PAY"
  EXPECT_EQ(CodeOfVirtualKey(0x41), 0x00);             // A: not mapped
  EXPECT_EQ(CodeOfVirtualKey(0x1B), 0x43);             // Esc: "C"
  EXPECT_EQ(CodeOfVirtualKey(0x4C), 0x62);             // L: "LF"
  EXPECT_EQ(CodeOfVirtualKey(0x7B), 0x57);             // F12: "C2"
  EXPECT_EQ(CodeOfVirtualKey(0x35), 0x35);
}

TEST(KeypadTest, QtKeysReachTheMapAsTheirVirtualKeys) {
  const auto code = [](int qt_key, bool on_keypad = false) {
    return CodeOfVirtualKey(VirtualKeyOfQtKey(qt_key, on_keypad));
  };
  EXPECT_EQ(code(Qt::Key_7), 0x37);
  EXPECT_EQ(code(Qt::Key_7, true), 0x00);  // the keypad's digits are keys of their own
  EXPECT_EQ(code(Qt::Key_Enter, true), 0x68);
  EXPECT_EQ(code(Qt::Key_Return), 0x68);
  EXPECT_EQ(code(Qt::Key_Backspace), 0x67);
  EXPECT_EQ(code(Qt::Key_Print), 0x65);
  EXPECT_EQ(code(Qt::Key_Delete), 0x66);
  EXPECT_EQ(code(Qt::Key_Insert), 0x64);
  EXPECT_EQ(code(Qt::Key_F1), 0x61);
  EXPECT_EQ(code(Qt::Key_F8), 0x68);
  EXPECT_EQ(code(Qt::Key_F9), 0x00);
  EXPECT_EQ(code(Qt::Key_F11), 0x56);
  EXPECT_EQ(code(Qt::Key_O), 0x61);
  EXPECT_EQ(code(Qt::Key_Period), 0x00);  // no PC key sends "00"
  EXPECT_EQ(code(Qt::Key_Up), 0x00);
}

TEST(KeypadTest, MainBlockDigitsSendTheirDigitWhateverShiftAndTheLayoutMakeOfThem) {
  struct Row {
    int qt_key;
    Qt::KeyboardModifiers modifiers;
    std::uint32_t scan_code;  // an XKB keycode, 0 for an event without the platform's numbers
    std::uint8_t code;
  };
  const Row rows[] = {
      {Qt::Key_Exclam, Qt::ShiftModifier, 0, 0x31},       // US Shift+1, synthetic
      {Qt::Key_ParenRight, Qt::ShiftModifier, 0, 0x30},   // US Shift+0, synthetic
      {Qt::Key_Exclam, Qt::NoModifier, 0, 0x00},          // a layout's own "!" key
      {Qt::Key_Apostrophe, Qt::ShiftModifier, 11, 0x32},  // Turkish Shift+2
      {Qt::Key_Ampersand, Qt::NoModifier, 10, 0x31},      // French 1 key without Shift
      {Qt::Key_Exclam, Qt::ShiftModifier, 61, 0x00},      // French "!" key beside Shift
      {Qt::Key_0, Qt::NoModifier, 19, 0x30},
      {Qt::Key_5, Qt::KeypadModifier, 84, 0x00},  // the keypad's digits stay apart
      {Qt::Key_7, Qt::NoModifier, 0, 0x37},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(CodeOfVirtualKey(VirtualKeyOfKeyPress({row.qt_key, row.modifiers, row.scan_code})),
              row.code)
        << "key " << row.qt_key << ", scan code " << row.scan_code;
  }
}

std::string PollBody(std::uint8_t point1, std::uint8_t a, std::uint8_t b) {
  std::string body(kDisplayFieldsSize, '\0');
  body.replace(1, 7, " 012345");
  body.replace(9, 7, "  12.50");
  body.replace(17, 7, "ABCDEFG");
  body[24] = static_cast<char>(point1);
  body[25] = 0;
  body[26] = 9;
  body[27] = static_cast<char>(a);
  body[28] = static_cast<char>(b);
  return body;
}

TEST(DisplayTest, PointsAndIndicatorsFollowTheirBytes) {
  const Display d = DecodeDisplay(PollBody(2, 0x09, 0x00));
  EXPECT_EQ(d.lines[0], " 012345");
  EXPECT_EQ(PointOverlay(d.points[0], u','), "     ,  ");  // position 6 of 8
  EXPECT_EQ(PointOverlay(0, u'.'), "       .");
  EXPECT_EQ(PointOverlay(9, u'.'), "        ");
  EXPECT_EQ(LineWithPoint(d.lines[0], d.points[0], u','), " 0123,45");
  EXPECT_EQ(LineWithPoint(d.lines[1], d.points[1], u'.'), "  12.50.");
  EXPECT_EQ(LineWithPoint(d.lines[2], d.points[2], u'.'), "ABCDEFG");
  EXPECT_EQ(IndicatorsOn(d), "STAB NET");
  EXPECT_EQ(IndicatorsOn(DecodeDisplay(PollBody(0, 0xFF, 0xFF))),
            "SHIFT MODE STAB ZERO NET BATT SBT PAPER CHARG");
  EXPECT_EQ(IndicatorsOn(DecodeDisplay(PollBody(0, 0xC4, 0xE1))), "");  // unused bits only
}

}  // namespace
}  // namespace keldaro::terminal
