#include "logo/preview_file.h"

#include <QBuffer>

#include "logo/logo_raster.h"

namespace keldaro::logo {

bool IsPbmName(const QString& path) {
  return path.endsWith(QStringLiteral(".pbm"), Qt::CaseInsensitive);
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
