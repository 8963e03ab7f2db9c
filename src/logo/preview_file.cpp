#include "logo/preview_file.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>

#include "logo/logo_raster.h"

namespace keldaro::logo {

bool IsPbmName(const QString& path) {
  return path.endsWith(QStringLiteral(".pbm"), Qt::CaseInsensitive);
}

QString UnwrittenPictureSuffix(const QString& path) {
  const QByteArray suffix = QFileInfo(path).suffix().toLower().toLatin1();
  if (suffix.isEmpty() || suffix == "png" || suffix == "pbm") return {};
  // The common ones are named even where Qt lacks their plugin.
  static const QList<QByteArray> kCommon = {"jpg", "jpeg", "gif", "bmp", "tif", "tiff", "webp"};
  const bool picture = kCommon.contains(suffix) ||
                       QImageReader::supportedImageFormats().contains(suffix) ||
                       QImageWriter::supportedImageFormats().contains(suffix);
  return picture ? QString::fromLatin1(suffix) : QString();
}

QByteArray PreviewPng(const QImage& preview) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  preview.save(&buffer, "PNG");
  return bytes;
}

QByteArray PreviewPbm(const QImage& preview) {
  QByteArray bytes =
      QStringLiteral("P4\n%1 %2\n").arg(preview.width()).arg(preview.height()).toLatin1();
  for (int y = 0; y < preview.height(); ++y) {
    const RasterRow row = PreviewRasterRow(preview, y);
    bytes.append(reinterpret_cast<const char*>(row.data()), static_cast<qsizetype>(row.size()));
  }
  return bytes;
}

}  // namespace keldaro::logo
