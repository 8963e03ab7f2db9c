// The logo's geometry, the adjustment controls' ranges and start positions, and the loader's
// message: shared by the conversion, the logo window and the command line.
#pragma once

#include "core/int_limits.h"

namespace keldaro::logo {

// The receipt printer's logo: 384 dots across, at most 250 rows, 8 dots to a raster byte.
inline constexpr int kLogoWidth = 384;
inline constexpr int kMaxLogoRows = 250;
inline constexpr int kRowBytes = kLogoWidth / 8;

// Brightness (TrackBar1) and contrast (TrackBar2).
inline constexpr IntLimits kBrightnessLimits{-128, 128};
inline constexpr int kStartBrightness = 0;
inline constexpr IntLimits kContrastLimits{0, 255};
inline constexpr int kStartContrast = 128;

// The general error box's text for a file that does not load as a picture.
inline constexpr const char* kNotValidText = "Bitmap image is not valid";

}  // namespace keldaro::logo
