#include "logo/logo_raster.h"

#include "logo/logo_conversion.h"

namespace keldaro::logo {

RasterRow PreviewRasterRow(const QImage& preview, int y) {
  RasterRow row{};
  const QImage pixels = preview.format() == QImage::Format_RGB32
                            ? preview
                            : preview.convertToFormat(QImage::Format_RGB32);
  PackRasterRow(reinterpret_cast<const std::uint32_t*>(pixels.constScanLine(y)), row.data());
  return row;
}

}  // namespace keldaro::logo
