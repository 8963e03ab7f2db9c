#include "logo/logo_picture.h"

#include <QFile>
#include <QImageReader>
#include <algorithm>
#include <cstdlib>

#include "core/input_file.h"
#include "logo/bitmap_header.h"

namespace keldaro::logo {

static_assert(sizeof(QRgb) == sizeof(std::uint32_t));

bool LogoPicture::Load(const QString& path, const Adjustment& adjustment, QString& reason) {
  InputFile input;
  if (!input.Open(path, reason)) return false;  // a folder, a FIFO, a link loop named as such
  const qint64 file_size = input.size();
  QFile file;
  if (!file.open(input.Release(), QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
    reason = path + QStringLiteral(": ") + file.errorString();
    return false;
  }
  if (!BitmapDataComplete(file.peek(kBitmapHeadBytes), file_size)) {
    reason = path + QStringLiteral(": the file ends before the pixel data its header announces");
    return false;
  }
  QImageReader reader(&file);
  // From the header, before any pixel is read; Qt gives a top-down bitmap a negative height, and
  // an invalid size (-1 x -1) when it cannot tell.
  const QSize announced = reader.size();
  const qint64 width = std::abs(static_cast<qint64>(announced.width()));
  const qint64 height = std::abs(static_cast<qint64>(announced.height()));
  if (width * height > kMaxPicturePixels) {
    reason = path + QStringLiteral(": the picture is %1 x %2 dots; at most %3 megapixels are read")
                        .arg(width)
                        .arg(height)
                        .arg(kMaxPicturePixels / kMegapixel);
    return false;
  }
  // Qt's own limit on one image's memory would refuse smaller pictures than ours, in its words.
  QImageReader::setAllocationLimit(std::max(QImageReader::allocationLimit(), kMaxPictureMegabytes));
  QImage picture;
  if (!reader.read(&picture) || picture.isNull()) {
    reason = path + QStringLiteral(": ") + reader.errorString();
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
