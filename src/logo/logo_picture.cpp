#include "logo/logo_picture.h"

#include <QImageReader>
#include <algorithm>

namespace keldaro::logo {

static_assert(sizeof(QRgb) == sizeof(std::uint32_t));

bool LogoPicture::Load(const QString& path, const Adjustment& adjustment, QString& reason) {
  QImageReader reader(path);
  const QSize announced = reader.size();  // from the header; invalid when the reader cannot tell
  if (announced.isValid() &&
      static_cast<qint64>(announced.width()) * announced.height() > kMaxPicturePixels) {
    reason = QStringLiteral("the picture is %1 x %2 dots, too large to read")
                 .arg(announced.width())
                 .arg(announced.height());
    return false;
  }
  QImage picture;
  if (!reader.read(&picture) || picture.isNull()) {
    reason = reader.errorString();
    return false;
  }
  Load(picture, adjustment);
  return true;
}

void LogoPicture::Load(const QImage& picture, const Adjustment& adjustment) {
  // Only the part that can show is converted to 32 bits; the rest is never looked at.
  const int width = std::min(picture.width(), kLogoWidth);
  const int rows = std::min(picture.height(), kMaxLogoRows);
  const QImage kept = picture.copy(0, 0, width, rows).convertToFormat(QImage::Format_ARGB32);
  conversion_.BeginLoad(rows);
  for (int y = 0; y < rows; ++y) {
    conversion_.LoadRow(y, reinterpret_cast<const std::uint32_t*>(kept.constScanLine(y)), width);
  }
  preview_ = QImage(kLogoWidth, rows, QImage::Format_RGB32);
  Convert(adjustment);
}

void LogoPicture::Convert(const Adjustment& adjustment) {
  conversion_.Convert(adjustment);
  for (int y = 0; y < preview_.height(); ++y) {
    conversion_.PreviewRow(y, reinterpret_cast<std::uint32_t*>(preview_.scanLine(y)));
  }
}

}  // namespace keldaro::logo
