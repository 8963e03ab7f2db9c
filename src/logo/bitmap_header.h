// What a Windows bitmap's header announces about its pixel data, checked against the file's
// size: Qt's reader takes a bitmap whose rows run short as a picture, black where the data
// ends, and a logo sent so would print mostly black.
#pragma once

#include <QByteArrayView>
#include <QtGlobal>

namespace keldaro::logo {

// The bytes a bitmap's header must be read with (file header and the width of every info
// header the check reads).
inline constexpr qint64 kBitmapHeadBytes = 34;

// False when `head` (the file's first bytes) is the header of an uncompressed bitmap whose
// pixel rows end past `file_size`. True for anything else, compressed bitmaps and other
// formats included: they are left to the reader.
bool BitmapDataComplete(QByteArrayView head, qint64 file_size);

}  // namespace keldaro::logo
