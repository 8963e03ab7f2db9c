// The logo window's picture: a file read through Qt's image readers into the conversion's gray
// image, and the 384-dot preview the conversion draws. The window and the command line share it;
// the preview is what "Terazi'ye gönder" sends.
#pragma once

#include <QImage>
#include <QString>

#include "logo/logo_conversion.h"

namespace keldaro::logo {

// Larger pictures are refused from their header, before any pixel is read.
inline constexpr qint64 kMegapixel = 1024 * 1024;
inline constexpr qint64 kMaxPicturePixels = 64 * kMegapixel;
// The memory Qt's readers may take for one picture of that size, in megabytes: up to 8 bytes a
// pixel (a 16-bit PNG with alpha is read as 64-bit RGBA).
inline constexpr int kMaxPictureMegabytes = static_cast<int>(kMaxPicturePixels * 8 / (1024 * 1024));

class LogoPicture {
 public:
  // Reads the file as a picture of any format Qt reads (BMP of every depth and row order, PNG,
  // JPEG, GIF), cut to the logo's width and height, widened with white, and converts it with
  // `adjustment`. A file that is not a picture, a bitmap whose pixel data is cut short, or one
  // that announces a picture too large changes nothing; the reason, in plain words naming the
  // file, goes to `reason`.
  bool Load(const QString& path, const Adjustment& adjustment, QString& reason);
  // The same from a picture already in memory (never fails).
  void Load(const QImage& picture, const Adjustment& adjustment);

  // Re-runs the conversion from the gray image kept since the last load.
  void Convert(const Adjustment& adjustment);

  // Pure black and white pixels, Format_RGB32, kLogoWidth wide and as tall as the loaded picture
  // (at most kMaxLogoRows); empty (height 0) before the first load.
  const QImage& preview() const { return preview_; }
  const LogoConversion& conversion() const { return conversion_; }

 private:
  LogoConversion conversion_;
  QImage preview_;
};

}  // namespace keldaro::logo
