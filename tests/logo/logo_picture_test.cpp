// Reading pictures into the logo: every depth and row order of Windows bitmaps and PNG give the
// same preview for the same pixels; files that are not pictures, or that announce an enormous
// one, change nothing; the preview's files.
#include "logo/logo_picture.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <random>

#include "bmp_writer.h"
#include "logo/logo_raster.h"
#include "logo/preview_file.h"

namespace keldaro::logo {
namespace {

using testing::WriteBmp;

constexpr Adjustment kStart{};

// 121 x 37 pixels (rows of odd byte lengths in every depth) in `colours` colours, or in many
// more when `colours` is 0.
QImage Picture(int colours) {
  QImage picture(121, 37, QImage::Format_RGB32);
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x) {
      if (colours == 0) {
        picture.setPixel(x, y, qRgb(x * 2, y * 7, (x + y) % 256));
      } else {
        const int i = (x * 3 + y * 5 + x * y / 7) % colours;
        picture.setPixel(x, y, qRgb(i * 53 % 256, i * 101 % 256, i * 197 % 256));
      }
    }
  }
  return picture;
}

class LogoPictureTest : public ::testing::Test {
 protected:
  QString Save(const QString& name, const QByteArray& bytes) {
    const QString path = dir_.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
  }
  static void ExpectSameGray(const LogoPicture& a, const LogoPicture& b) {
    ASSERT_EQ(a.conversion().rows(), b.conversion().rows());
    for (int y = 0; y < a.conversion().rows(); ++y) {
      for (int x = 0; x < kLogoWidth; ++x) {
        ASSERT_EQ(a.conversion().gray(x, y), b.conversion().gray(x, y)) << x << ", " << y;
      }
    }
    EXPECT_EQ(a.preview(), b.preview());
  }

  QTemporaryDir dir_;
  QString reason_;
};

TEST_F(LogoPictureTest, EveryBitmapDepthAndRowOrderGivesThePixelsThemselves) {
  for (int bits : {1, 4, 8, 24, 32}) {
    const QImage picture = Picture(bits <= 8 ? 1 << bits : 0);
    LogoPicture expected;
    expected.Load(picture, kStart);
    for (bool top_down : {false, true}) {
      SCOPED_TRACE(::testing::Message()
                   << bits << " bits, " << (top_down ? "top-down" : "bottom-up"));
      LogoPicture loaded;
      ASSERT_TRUE(loaded.Load(Save("p.bmp", WriteBmp(picture, bits, top_down)), kStart, reason_))
          << reason_.toStdString();
      ExpectSameGray(loaded, expected);
      EXPECT_EQ(loaded.preview().size(), QSize(kLogoWidth, 37));
    }
  }
}

TEST_F(LogoPictureTest, PngAndQtsOwnBitmapGiveTheSamePreview) {
  const QImage picture = Picture(0);
  LogoPicture expected;
  expected.Load(picture, kStart);
  for (const char* format : {"PNG", "BMP"}) {
    const QString path = dir_.filePath(QStringLiteral("p.") + format);
    ASSERT_TRUE(picture.save(path, format));
    LogoPicture loaded;
    ASSERT_TRUE(loaded.Load(path, kStart, reason_)) << format;
    ExpectSameGray(loaded, expected);
  }
  // A paletted PNG of the same pixels.
  const QImage indexed = Picture(16).convertToFormat(QImage::Format_Indexed8);
  const QString path = dir_.filePath(QStringLiteral("indexed.png"));
  ASSERT_TRUE(indexed.save(path, "PNG"));
  LogoPicture loaded, direct;
  ASSERT_TRUE(loaded.Load(path, kStart, reason_));
  direct.Load(Picture(16), kStart);
  ExpectSameGray(loaded, direct);
}

TEST_F(LogoPictureTest, JpegIsReadThroughQtsPlugin) {
  // Lossy, so only its broad shapes are compared: left half black, right half white.
  QImage picture(200, 60, QImage::Format_RGB32);
  picture.fill(Qt::white);
  for (int y = 0; y < 60; ++y) {
    for (int x = 0; x < 100; ++x) picture.setPixel(x, y, qRgb(0, 0, 0));
  }
  const QString path = dir_.filePath(QStringLiteral("p.jpg"));
  ASSERT_TRUE(picture.save(path, "JPG", 95));
  LogoPicture loaded;
  ASSERT_TRUE(loaded.Load(path, {0, 128, true}, reason_)) << reason_.toStdString();
  EXPECT_EQ(loaded.preview().pixel(50, 30), kBlackPixel);
  EXPECT_EQ(loaded.preview().pixel(150, 30), kWhitePixel);
  EXPECT_EQ(loaded.preview().pixel(300, 30), kWhitePixel);
}

TEST_F(LogoPictureTest, TallAndWidePicturesAreCutOneRowMakesOneRow) {
  QImage tall(500, 300, QImage::Format_RGB32);
  tall.fill(Qt::black);
  LogoPicture loaded;
  ASSERT_TRUE(loaded.Load(Save("tall.bmp", WriteBmp(tall, 24, false)), kStart, reason_));
  EXPECT_EQ(loaded.preview().size(), QSize(kLogoWidth, kMaxLogoRows));
  QImage row(10, 1, QImage::Format_RGB32);
  row.fill(Qt::black);
  ASSERT_TRUE(loaded.Load(Save("row.bmp", WriteBmp(row, 24, true)), kStart, reason_));
  EXPECT_EQ(loaded.preview().size(), QSize(kLogoWidth, 1));
  EXPECT_EQ(loaded.preview().pixel(9, 0), kBlackPixel);
  EXPECT_EQ(loaded.preview().pixel(10, 0), kWhitePixel);  // widened with white
}

TEST_F(LogoPictureTest, TransparentPixelsOfAPngAreWhite) {
  QImage picture(4, 1, QImage::Format_ARGB32);
  picture.fill(Qt::transparent);
  picture.setPixel(0, 0, qRgba(0, 0, 0, 255));
  const QString path = dir_.filePath(QStringLiteral("alpha.png"));
  ASSERT_TRUE(picture.save(path, "PNG"));
  LogoPicture loaded;
  ASSERT_TRUE(loaded.Load(path, kStart, reason_));
  EXPECT_EQ(loaded.conversion().gray(0, 0), 0);
  EXPECT_EQ(loaded.conversion().gray(1, 0), 251);
}

TEST_F(LogoPictureTest, FilesThatAreNotPicturesKeepThePreviousPicture) {
  LogoPicture loaded;
  const QByteArray good = WriteBmp(Picture(0), 24, false);
  ASSERT_TRUE(loaded.Load(Save("good.bmp", good), kStart, reason_));
  const QImage before = loaded.preview();

  std::mt19937 random(7);
  QByteArray noise(4000, '\0');
  for (char& b : noise) b = static_cast<char>(random());
  QByteArray header_only = good.left(54);
  for (const QByteArray& bytes : {noise, QByteArray(), header_only, QByteArray("BM")}) {
    reason_.clear();
    EXPECT_FALSE(loaded.Load(Save("bad.bmp", bytes), kStart, reason_)) << bytes.size();
    EXPECT_FALSE(reason_.isEmpty());
    EXPECT_EQ(loaded.preview(), before);
  }
  // What is no file is named for what it is.
  ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("folder.bmp")));
  ASSERT_TRUE(QFile::link(QStringLiteral("loop.bmp"), dir_.filePath(QStringLiteral("loop.bmp"))));
  const std::pair<const char*, const char*> no_pictures[] = {
      {"missing.bmp", ": No such file or directory"},
      {"folder.bmp", " is a folder"},
      {"loop.bmp", " is a link loop"}};
  for (const auto& [name, what] : no_pictures) {
    const QString path = dir_.filePath(QLatin1String(name));
    EXPECT_FALSE(loaded.Load(path, kStart, reason_));
    EXPECT_EQ(reason_, path + QLatin1String(what));
    EXPECT_EQ(loaded.preview(), before);
  }
}

TEST_F(LogoPictureTest, ABitmapWhosePixelDataRunsShortIsRefused) {
  // Qt's reader would take the rows that are missing as black; a white logo cut after 10 of its
  // 250 rows would print 92,160 black dots.
  QImage white(kLogoWidth, kMaxLogoRows, QImage::Format_RGB32);
  white.fill(Qt::white);
  const QByteArray good = WriteBmp(Picture(0), 24, false);
  const QByteArray white_bmp = WriteBmp(white, 1, true);
  QByteArray bad_offset = good;
  bad_offset.replace(10, 4, QByteArray::fromHex("ffffff00"));
  std::vector<QByteArray> files = {bad_offset, white_bmp.left(white_bmp.size() - 250 * 48 + 480)};
  for (qsizetype size = 34; size < good.size(); size += 997) files.push_back(good.left(size));
  for (const QByteArray& bytes : files) {
    LogoPicture loaded;
    EXPECT_FALSE(loaded.Load(Save("cut.bmp", bytes), kStart, reason_)) << bytes.size();
    EXPECT_TRUE(
        reason_.endsWith("cut.bmp: the file ends before the pixel data its header announces"))
        << reason_.toStdString();
    EXPECT_EQ(loaded.preview().height(), 0) << bytes.size();
  }
  LogoPicture whole;
  EXPECT_TRUE(whole.Load(Save("white.bmp", white_bmp), kStart, reason_)) << reason_.toStdString();
}

TEST_F(LogoPictureTest, AnEnormousPictureIsRefusedFromItsHeader) {
  // A well-formed PNG announcing 100000 x 100000 dots, with one row's worth of data.
  const QByteArray png = QByteArray::fromHex(
      "89504e470d0a1a0a0000000d49484452000186a0000186a0080200000027309c9f0000000b49444154789c636"
      "04005000010000139bd8f650000000049454e44ae426082");
  LogoPicture loaded;
  EXPECT_FALSE(loaded.Load(Save("huge.png", png), kStart, reason_));
  EXPECT_TRUE(reason_.endsWith(QStringLiteral(
      "huge.png: the picture is 100000 x 100000 dots; at most 64 megapixels are read")))
      << reason_.toStdString();
  // Qt's bitmap reader refuses such a header itself.
  QByteArray bmp = WriteBmp(Picture(0), 24, false);
  bmp.replace(18, 8, QByteArray::fromHex("a0860100a0860100"));
  EXPECT_FALSE(loaded.Load(Save("huge.bmp", bmp), kStart, reason_));
  EXPECT_EQ(loaded.preview().height(), 0);
  // A top-down bitmap of 9000 x 8000 dots with all its data (a sparse file): Qt gives it a
  // negative height.
  QByteArray top_down = WriteBmp(Picture(0), 24, true).left(54);
  top_down.replace(18, 8, QByteArray::fromHex("28230000c0e0ffff"));
  const QString path = Save("top_down.bmp", top_down);
  ASSERT_TRUE(QFile::resize(path, 54 + 27000LL * 8000));
  EXPECT_FALSE(loaded.Load(path, kStart, reason_));
  EXPECT_TRUE(reason_.endsWith("the picture is 9000 x 8000 dots; at most 64 megapixels are read"))
      << reason_.toStdString();
}

TEST_F(LogoPictureTest, PreviewFilesHoldTheRaster) {
  LogoPicture loaded;
  loaded.Load(Picture(0), {0, 128, false});
  const QByteArray pbm = PreviewPbm(loaded.preview());
  const QByteArray header("P4\n384 37\n");
  ASSERT_EQ(pbm.size(), header.size() + 37 * kRowBytes);
  EXPECT_TRUE(pbm.startsWith(header));
  for (int y = 0; y < 37; ++y) {
    const RasterRow row = PreviewRasterRow(loaded.preview(), y);
    ASSERT_EQ(pbm.mid(header.size() + y * kRowBytes, kRowBytes),
              QByteArray(reinterpret_cast<const char*>(row.data()), kRowBytes))
        << y;
  }
  QImage png;
  ASSERT_TRUE(png.loadFromData(PreviewPng(loaded.preview()), "PNG"));
  EXPECT_EQ(png.convertToFormat(QImage::Format_RGB32), loaded.preview());
  EXPECT_TRUE(IsPbmName(QStringLiteral("logo.PBM")));
  EXPECT_FALSE(IsPbmName(QStringLiteral("logo.pbm.png")));
}

}  // namespace
}  // namespace keldaro::logo
