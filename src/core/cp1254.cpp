#include "core/cp1254.h"

#include <array>

namespace keldaro {
namespace {

// Bytes 0x80..0x9F. The five bytes the code page leaves unassigned map to the C1 control of
// the same value, as Windows does, so that any byte read from the scale goes back unchanged.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80..87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x008E, 0x008F,  // 88..8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90..97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x009E, 0x0178,  // 98..9F
};

// From 0xA0 on the code page is Latin-1 except for six Turkish letters.
char16_t TurkishLetterAt(unsigned byte) {
  switch (byte) {
    case 0xD0:
      return 0x011E;  // Ğ
    case 0xDD:
      return 0x0130;  // İ
    case 0xDE:
      return 0x015E;  // Ş
    case 0xF0:
      return 0x011F;  // ğ
    case 0xFD:
      return 0x0131;  // ı
    case 0xFE:
      return 0x015F;  // ş
    default:
      return static_cast<char16_t>(byte);
  }
}

char16_t ToUnicode(unsigned byte) {
  if (byte < 0x80) return static_cast<char16_t>(byte);
  if (byte < 0xA0) return kHighControls[byte - 0x80];
  return TurkishLetterAt(byte);
}

// The reverse table over the whole Basic Multilingual Plane would be large; 256 probes of a
// 256-entry table per unusual character is cheap for texts of at most a few hundred bytes.
char ToByte(char16_t c) {
  if (c < 0x80) return static_cast<char>(c);
  for (unsigned byte = 0x80; byte <= 0xFF; ++byte) {
    if (ToUnicode(byte) == c) return static_cast<char>(byte);
  }
  return '?';
}

}  // namespace

std::string ToCp1254(QStringView text) {
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(text.size()));
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    // A character outside the plane is one character: one '?', not one per surrogate.
    if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
      bytes.push_back('?');
      ++i;
      continue;
    }
    bytes.push_back(c.isSurrogate() ? '?' : ToByte(c.unicode()));
  }
  return bytes;
}

QString FromCp1254(std::string_view bytes) {
  QString text;
  text.reserve(static_cast<qsizetype>(bytes.size()));
  for (const char b : bytes) text.append(QChar(ToUnicode(static_cast<unsigned char>(b))));
  return text;
}

}  // namespace keldaro
