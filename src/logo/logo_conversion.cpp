#include "logo/logo_conversion.h"

#include <algorithm>

namespace keldaro::logo {
namespace {

constexpr int kPixels = kLogoWidth * kMaxLogoRows;
constexpr int kThreshold = 128;

int Clamped(int v) { return std::clamp(v, 0, 255); }

// One colour channel of a pixel laid over white with the pixel's alpha.
std::uint32_t OverWhite(std::uint32_t channel, std::uint32_t alpha) {
  return (channel * alpha + 255 * (255 - alpha) + 127) / 255;
}

std::uint32_t OpaqueOverWhite(std::uint32_t argb) {
  const std::uint32_t alpha = argb >> 24;
  if (alpha == 255) return argb;
  return OverWhite((argb >> 16) & 0xFF, alpha) << 16 | OverWhite((argb >> 8) & 0xFF, alpha) << 8 |
         OverWhite(argb & 0xFF, alpha);
}

}  // namespace

const std::array<std::int8_t, 256> kContrastTable = {
    0,   0,   -1,  -2,  -3,  -4,  -5,  -6,  -7,  -8,  -9,  -9,  -10, -11, -12, -12,  //
    -13, -14, -14, -15, -16, -16, -17, -17, -18, -19, -19, -20, -20, -20, -21, -21,  //
    -22, -22, -23, -23, -23, -24, -24, -24, -24, -25, -25, -25, -25, -25, -26, -26,  //
    -26, -26, -26, -26, -26, -26, -26, -26, -26, -26, -26, -26, -26, -26, -26, -26,  //
    -26, -26, -26, -26, -25, -25, -25, -25, -25, -24, -24, -24, -24, -23, -23, -23,  //
    -23, -22, -22, -22, -21, -21, -21, -20, -20, -19, -19, -19, -18, -18, -17, -17,  //
    -16, -16, -16, -15, -15, -14, -14, -13, -13, -12, -12, -11, -11, -10, -10, -9,   //
    -8,  -8,  -7,  -7,  -6,  -6,  -5,  -5,  -4,  -3,  -3,  -2,  -2,  -1,  -1,  0,    //
    0,   0,   1,   1,   2,   2,   3,   3,   4,   5,   5,   6,   6,   7,   7,   8,    //
    8,   9,   10,  10,  11,  11,  12,  12,  13,  13,  14,  14,  15,  15,  16,  16,   //
    16,  17,  17,  18,  18,  19,  19,  19,  20,  20,  21,  21,  21,  22,  22,  22,   //
    23,  23,  23,  23,  24,  24,  24,  24,  25,  25,  25,  25,  25,  26,  26,  26,   //
    26,  26,  26,  26,  26,  26,  26,  26,  26,  26,  26,  26,  26,  26,  26,  26,   //
    26,  26,  26,  25,  25,  25,  25,  25,  24,  24,  24,  24,  23,  23,  23,  22,   //
    22,  21,  21,  20,  20,  20,  19,  19,  18,  17,  17,  16,  16,  15,  14,  14,   //
    13,  12,  12,  11,  10,  9,   9,   8,   7,   6,   5,   4,   3,   2,   1,   0,    //
};

std::uint8_t AdjustedGray(std::uint8_t gray, int brightness, int contrast) {
  const int brightened = Clamped(gray + brightness);
  // Integer division truncates toward zero: -19.2 gives -19, 20.48 gives 20.
  const int correction = contrast * kContrastTable[gray] / 100;
  return static_cast<std::uint8_t>(Clamped(brightened + correction));
}

void PackRasterRow(const std::uint32_t* preview_row, std::uint8_t* raster_row) {
  for (int i = 0; i < kRowBytes; ++i) {
    std::uint8_t byte = 0;
    for (int j = 0; j < 8; ++j) {
      const bool printed = (preview_row[8 * i + j] & 0xFFFFFF) != (kWhitePixel & 0xFFFFFF);
      byte = static_cast<std::uint8_t>(byte << 1 | (printed ? 1 : 0));
    }
    raster_row[i] = byte;
  }
}

LogoConversion::LogoConversion()
    : gray_(std::make_unique<std::uint8_t[]>(kPixels)),
      work_(std::make_unique<std::uint8_t[]>(kWorkStride * (kMaxLogoRows + 1))) {}

void LogoConversion::BeginLoad(int rows) { rows_ = std::clamp(rows, 0, kMaxLogoRows); }

void LogoConversion::LoadRow(int y, const std::uint32_t* pixels, int width) {
  std::uint8_t* gray = gray_.get() + Index(0, y);
  const int kept = std::clamp(width, 0, kLogoWidth);
  for (int x = 0; x < kept; ++x) gray[x] = GrayOf(OpaqueOverWhite(pixels[x]));
  std::fill(gray + kept, gray + kLogoWidth, kWhiteGray);
}

void LogoConversion::Convert(const Adjustment& adjustment) {
  // Brightness and contrast are the same for every pixel: each gray value is adjusted once.
  for (int gray = 0; gray < 256; ++gray) {
    adjusted_[gray] =
        AdjustedGray(static_cast<std::uint8_t>(gray), adjustment.brightness, adjustment.contrast);
  }
  for (int y = 0; y < rows_; ++y) {
    const std::uint8_t* gray = gray_.get() + Index(0, y);
    std::uint8_t* work = work_.get() + WorkIndex(0, y);
    for (int x = 0; x < kLogoWidth; ++x) work[x] = adjusted_[gray[x]];
  }
  if (!adjustment.threshold) Dither();
}

// Error diffusion with the weights 7, 5, 3 and 1 sixteenths: even rows left to right, odd rows
// right to left. "Ahead" and "behind" follow the row's direction. A white pixel's error is
// taken from its neighbours, a black one's added; each share is rounded down from the
// product, so a negative one is truncated toward zero, and each is applied to its neighbour
// as a saturating byte in the order the scan reaches it. The pixel ahead and the three cells
// below are carried in registers, each stored once it is final.
void LogoConversion::Dither() {
  for (int y = 0; y < rows_; ++y) {
    const int step = y % 2 == 0 ? 1 : -1;
    std::uint8_t* pixel = work_.get() + WorkIndex(step > 0 ? 0 : kLogoWidth - 1, y);
    std::uint8_t* below = pixel + kWorkStride;
    int value = pixel[0];
    int below_behind = below[-step];
    int below_here = below[0];
    for (int n = 0; n < kLogoWidth; ++n, pixel += step, below += step) {
      const bool white = value >= kThreshold;
      pixel[0] = white ? 255 : 0;
      const int error = white ? value - 255 : value;
      const int ahead = Clamped(pixel[step] + 7 * error / 16);
      const int below_ahead = Clamped(below[step] + error / 16);
      below_here = Clamped(below_here + 5 * error / 16);
      below[-step] = static_cast<std::uint8_t>(Clamped(below_behind + 3 * error / 16));
      below_behind = below_here;
      below_here = below_ahead;
      value = ahead;
    }
    below[-step] = static_cast<std::uint8_t>(below_behind);
  }
}

void LogoConversion::PreviewRow(int y, std::uint32_t* pixels) const {
  const std::uint8_t* work = work_.get() + WorkIndex(0, y);
  for (int x = 0; x < kLogoWidth; ++x)
    pixels[x] = work[x] >= kThreshold ? kWhitePixel : kBlackPixel;
}

}  // namespace keldaro::logo
