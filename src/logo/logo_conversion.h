// The conversion of a picture into the two-colour logo: a gray image kept since the last load,
// adjusted for brightness and contrast into a working image, then dithered by serpentine error
// diffusion or left for a plain threshold at 128. Standard library only; both images are fixed
// buffers for the largest logo, allocated once by the constructor, so a conversion allocates
// nothing and can run on every movement of a slider.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "logo/logo_limits.h"

namespace keldaro::logo {

struct Adjustment {
  int brightness = kStartBrightness;  // within kBrightnessLimits
  int contrast = kStartContrast;      // within kContrastLimits
  bool threshold = false;             // a plain threshold instead of error diffusion
};

// Pixels as 0xAARRGGBB words (Qt's QRgb). Pure white and pure black are what a converted
// preview holds.
inline constexpr std::uint32_t kWhitePixel = 0xFFFFFFFF;
inline constexpr std::uint32_t kBlackPixel = 0xFF000000;

// (19 red + 38 green + 6 blue) div 64: the weights add up to 63, so white gives 251.
constexpr std::uint8_t GrayOf(std::uint32_t rgb) {
  const std::uint32_t red = (rgb >> 16) & 0xFF;
  const std::uint32_t green = (rgb >> 8) & 0xFF;
  const std::uint32_t blue = rgb & 0xFF;
  return static_cast<std::uint8_t>((19 * red + 38 * green + 6 * blue) / 64);
}
inline constexpr std::uint8_t kWhiteGray = GrayOf(kWhitePixel);

// The S-shaped contrast correction by gray value: it darkens dark grays and lightens light
// ones. Used as listed; it is not quite antisymmetric around 128.
extern const std::array<std::int8_t, 256> kContrastTable;

// One gray value through the adjustment's brightness and contrast: brightness clamped first,
// then the contrast term (truncated toward zero, looked up by the unadjusted gray) clamped again.
std::uint8_t AdjustedGray(std::uint8_t gray, int brightness, int contrast);

// Packs one preview row of kLogoWidth pixels into kRowBytes raster bytes: dot 8i in bit 7 of
// byte i, 1 for a printed (black) dot. Any pixel that is not white prints.
void PackRasterRow(const std::uint32_t* preview_row, std::uint8_t* raster_row);

class LogoConversion {
 public:
  LogoConversion();

  // Loading: the picture's height (cut to kMaxLogoRows), then its rows top down. A row of
  // `width` pixels keeps its first kLogoWidth; a shorter one is widened with white. Pixels with
  // an alpha below 255 are laid over white.
  void BeginLoad(int rows);
  void LoadRow(int y, const std::uint32_t* pixels, int width);
  int rows() const { return rows_; }
  std::uint8_t gray(int x, int y) const { return gray_[Index(x, y)]; }

  // Adjusts the gray image into the working image and dithers it unless the adjustment asks
  // for a threshold. The gray image is left as loaded, so conversions never accumulate.
  void Convert(const Adjustment& adjustment);
  // The working value after Convert: 0 or 255 when dithered, the adjusted gray otherwise.
  std::uint8_t working(int x, int y) const { return work_[WorkIndex(x, y)]; }
  // Row y of the preview: white where the working value is 128 or more, else black.
  void PreviewRow(int y, std::uint32_t* pixels) const;

 private:
  // The working image has a column either side and a row below: error shares that fall off
  // the picture land there and are never read, so the diffusion needs no edge tests.
  static constexpr int kWorkStride = kLogoWidth + 2;
  static int Index(int x, int y) { return y * kLogoWidth + x; }
  static int WorkIndex(int x, int y) { return y * kWorkStride + x + 1; }
  void Dither();

  std::unique_ptr<std::uint8_t[]> gray_;
  std::unique_ptr<std::uint8_t[]> work_;
  std::array<std::uint8_t, 256> adjusted_{};  // AdjustedGray by gray, for the conversion in hand
  int rows_ = 0;
};

}  // namespace keldaro::logo
