// Pictures for the logo tests, given by the gray value each pixel should convert to.
#pragma once

#include <cstdint>
#include <vector>

#include "logo/logo_conversion.h"

namespace keldaro::logo::testing {

// An opaque gray pixel whose gray value is `gray` (0 to 251).
inline std::uint32_t GrayPixel(int gray) {
  for (std::uint32_t c = 0; c < 256; ++c) {
    const std::uint32_t pixel = 0xFF000000 | c * 0x010101;
    if (GrayOf(pixel) == gray) return pixel;
  }
  return 0;  // no such gray: 252 and above
}

using GrayRows = std::vector<std::vector<int>>;

// A picture of `rows` rows of `width` pixels, all of `gray`.
inline GrayRows Uniform(int width, int rows, int gray) {
  return GrayRows(rows, std::vector<int>(width, gray));
}

inline void LoadGray(LogoConversion& conversion, const GrayRows& rows) {
  conversion.BeginLoad(static_cast<int>(rows.size()));
  for (int y = 0; y < conversion.rows(); ++y) {
    std::vector<std::uint32_t> pixels;
    for (int gray : rows[y]) pixels.push_back(GrayPixel(gray));
    conversion.LoadRow(y, pixels.data(), static_cast<int>(pixels.size()));
  }
}

}  // namespace keldaro::logo::testing
