// The preview written to a file by the command line: a PNG as the window shows it, or a binary
// PBM (P4), whose rows are the logo raster itself (1 is black, the first dot in bit 7).
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace keldaro::logo {

// True when `path` names a PBM file (".pbm" in any case).
bool IsPbmName(const QString& path);
QByteArray PreviewPng(const QImage& preview);
QByteArray PreviewPbm(const QImage& preview);

}  // namespace keldaro::logo
