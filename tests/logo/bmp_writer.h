// Windows bitmap files written by hand for the loader's tests, in the depths and row orders
// found in the wild that Qt's own writer does not produce: 1, 4 and 8 bits with a colour table,
// 24 and 32 bits, bottom-up (positive height) or top-down (negative height).
#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>

namespace keldaro::logo::testing {

inline void PutLe(QByteArray& bytes, quint32 value, int size) {
  for (int i = 0; i < size; ++i) bytes.append(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// `picture` must have at most 2^bits colours when bits is 8 or fewer.
inline QByteArray WriteBmp(const QImage& picture, int bits, bool top_down) {
  const int width = picture.width();
  const int height = picture.height();
  QList<QRgb> table;
  if (bits <= 8) {
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const QRgb c = picture.pixel(x, y) | 0xFF000000;
        if (!table.contains(c)) table.append(c);
      }
    }
    table.resize(1 << bits, 0xFF000000);
  }
  const int stride = (width * bits + 31) / 32 * 4;
  const quint32 offset = 14 + 40 + 4 * static_cast<quint32>(table.size());
  QByteArray bmp("BM");
  PutLe(bmp, offset + stride * height, 4);
  PutLe(bmp, 0, 4);
  PutLe(bmp, offset, 4);
  PutLe(bmp, 40, 4);
  PutLe(bmp, width, 4);
  PutLe(bmp, static_cast<quint32>(top_down ? -height : height), 4);
  PutLe(bmp, 1, 2);
  PutLe(bmp, bits, 2);
  PutLe(bmp, 0, 4);  // BI_RGB
  PutLe(bmp, stride * height, 4);
  PutLe(bmp, 2835, 4);
  PutLe(bmp, 2835, 4);
  PutLe(bmp, table.size(), 4);
  PutLe(bmp, 0, 4);
  for (QRgb c : table) PutLe(bmp, c & 0xFFFFFF, 4);  // blue, green, red, 0
  for (int row = 0; row < height; ++row) {
    const int y = top_down ? row : height - 1 - row;
    QByteArray line(stride, '\0');
    for (int x = 0; x < width; ++x) {
      const QRgb c = picture.pixel(x, y);
      if (bits <= 8) {
        const int index = static_cast<int>(table.indexOf(c | 0xFF000000));
        const int bit = x * bits;
        const int shift = 8 - bits - bit % 8;
        line[bit / 8] = static_cast<char>(line[bit / 8] | index << shift);
      } else {
        const int at = x * bits / 8;
        line[at] = static_cast<char>(qBlue(c));
        line[at + 1] = static_cast<char>(qGreen(c));
        line[at + 2] = static_cast<char>(qRed(c));
        if (bits == 32) line[at + 3] = 0;  // carries no colour
      }
    }
    bmp.append(line);
  }
  return bmp;
}

}  // namespace keldaro::logo::testing
