// The preview's rows as the logo raster the scale prints: kRowBytes bytes a row.
#pragma once

#include <QImage>
#include <array>
#include <cstdint>

#include "logo/logo_limits.h"

namespace keldaro::logo {

using RasterRow = std::array<std::uint8_t, kRowBytes>;

// Row y of a preview (kLogoWidth pixels, each pure white or pure black) packed into the raster.
RasterRow PreviewRasterRow(const QImage& preview, int y);

}  // namespace keldaro::logo
