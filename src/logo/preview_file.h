// The preview written to a file by the command line: a PNG as the window shows it, or a binary
// PBM (P4), whose rows are the logo raster itself (1 is black, the first dot in bit 7).
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace keldaro::logo {

// True when `path` names a PBM file (".pbm" in any case).
bool IsPbmName(const QString& path);
// The suffix of `path` (lower case) when it names a picture format the preview is not written
// in (".jpg", ".gif", ...), so that no JPEG-named file holds a PNG; empty for ".png", ".pbm"
// and a name that names no picture format.
QString UnwrittenPictureSuffix(const QString& path);
QByteArray PreviewPng(const QImage& preview);
QByteArray PreviewPbm(const QImage& preview);

}  // namespace keldaro::logo
