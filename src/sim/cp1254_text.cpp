#include "sim/cp1254_text.h"

#include <cstdint>

namespace keldaro::sim {
namespace {

// Code points of the bytes 0x80..0x9F (0 where the code page leaves the byte undefined).
constexpr char32_t kHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80..87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0,      0,       // 88..8F
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90..97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0,      0x0178,  // 98..9F
};

int ToByte(char32_t c) {
  if (c < 0x80) return static_cast<int>(c);
  for (int i = 0; i < 32; ++i) {
    if (kHigh[i] != 0 && kHigh[i] == c) return 0x80 + i;
  }
  switch (c) {
    case 0x011E:
      return 0xD0;  // Ğ
    case 0x0130:
      return 0xDD;  // İ
    case 0x015E:
      return 0xDE;  // Ş
    case 0x011F:
      return 0xF0;  // ğ
    case 0x0131:
      return 0xFD;  // ı
    case 0x015F:
      return 0xFE;  // ş
    case 0xD0:
    case 0xDD:
    case 0xDE:
    case 0xF0:
    case 0xFD:
    case 0xFE:
      return -1;  // Latin-1 letters whose places the Turkish letters took
    default:
      break;
  }
  if (c >= 0xA0 && c <= 0xFF) return static_cast<int>(c);
  return -1;
}

}  // namespace

std::string Utf8ToCp1254(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  std::size_t i = 0;
  while (i < utf8.size()) {
    const auto lead = static_cast<std::uint8_t>(utf8[i]);
    int extra = 0;
    char32_t c = 0;
    if (lead < 0x80) {
      c = lead;
    } else if ((lead & 0xE0) == 0xC0) {
      extra = 1;
      c = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
      extra = 2;
      c = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
      extra = 3;
      c = lead & 0x07;
    } else {
      out.push_back('?');
      ++i;
      continue;
    }
    bool ok = i + extra < utf8.size();  // the continuation bytes are all there
    std::size_t j = 1;
    for (; ok && j <= static_cast<std::size_t>(extra); ++j) {
      const auto cont = static_cast<std::uint8_t>(utf8[i + j]);
      if ((cont & 0xC0) != 0x80) {
        ok = false;
        break;
      }
      c = (c << 6) | (cont & 0x3F);
    }
    if (!ok) {
      out.push_back('?');
      i += j;  // skip the lead and the well-formed continuation bytes before the fault
      continue;
    }
    const int b = ToByte(c);
    out.push_back(b < 0 ? '?' : static_cast<char>(b));
    i += 1 + extra;
  }
  return out;
}

}  // namespace keldaro::sim
