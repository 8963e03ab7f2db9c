// The picture-to-raster conversion: gray values, brightness and contrast, the error diffusion
// and the threshold, the raster packing.
#include "logo/logo_conversion.h"

#include <gtest/gtest.h>

#include "logo_test_pictures.h"

namespace keldaro::logo {
namespace {

using testing::GrayPixel;
using testing::GrayRows;
using testing::LoadGray;
using testing::Uniform;

constexpr Adjustment kStart{};
constexpr Adjustment kStartThreshold{kStartBrightness, kStartContrast, true};

std::vector<std::uint32_t> Preview(const LogoConversion& c, int y) {
  std::vector<std::uint32_t> row(kLogoWidth);
  c.PreviewRow(y, row.data());
  return row;
}

std::array<std::uint8_t, kRowBytes> Raster(const LogoConversion& c, int y) {
  std::array<std::uint8_t, kRowBytes> raster{};
  PackRasterRow(Preview(c, y).data(), raster.data());
  return raster;
}

bool White(const LogoConversion& c, int x, int y) { return Preview(c, y)[x] == kWhitePixel; }

TEST(LogoGray, WeightsAddUpTo63SoWhiteIs251) {
  EXPECT_EQ(GrayOf(0xFFFFFF), 251);
  EXPECT_EQ(GrayOf(0x000000), 0);
  EXPECT_EQ(GrayOf(0xFF0000), 75);  // 19 x 255 div 64
  EXPECT_EQ(GrayOf(0x00FF00), 151);
  EXPECT_EQ(GrayOf(0x0000FF), 23);
  EXPECT_EQ(GrayOf(0x666666), 100);
  EXPECT_EQ(GrayOf(0x12666666), 100);  // the fourth byte carries no colour
}

TEST(LogoAdjustment, StartPositionsKeepBlackAndWhite) {
  EXPECT_EQ(AdjustedGray(0, kStartBrightness, kStartContrast), 0);
  EXPECT_EQ(AdjustedGray(251, kStartBrightness, kStartContrast), 255);  // 251 + 5, clamped
  LogoConversion c;
  LoadGray(c, {{0, 251}});
  for (const Adjustment& a : {kStart, kStartThreshold}) {
    c.Convert(a);
    EXPECT_FALSE(White(c, 0, 0));
    EXPECT_TRUE(White(c, 1, 0));
  }
}

TEST(LogoAdjustment, Gray128TurnsWhiteAnd127Black) {
  EXPECT_EQ(AdjustedGray(128, 0, kStartContrast), 128);
  EXPECT_EQ(AdjustedGray(127, 0, kStartContrast), 127);
  LogoConversion c;
  LoadGray(c, {{128, 127}});
  c.Convert(kStartThreshold);
  EXPECT_TRUE(White(c, 0, 0));
  EXPECT_FALSE(White(c, 1, 0));
}

TEST(LogoAdjustment, BrightnessClampsBeforeTheContrastTermAndAfterIt) {
  EXPECT_EQ(AdjustedGray(240, 128, 128), 255);  // 368 -> 255, + 16 -> 255
  EXPECT_EQ(AdjustedGray(10, -128, 128), 0);    // -118 -> 0, - 11 -> 0
  EXPECT_EQ(AdjustedGray(200, -100, 0), 100);   // contrast 0 leaves brightness alone
}

TEST(LogoAdjustment, ContrastTermsTruncateTowardZero) {
  EXPECT_EQ(AdjustedGray(100, 0, 128), 81);   // 100 - 19 (from -19.2)
  EXPECT_EQ(AdjustedGray(160, 0, 128), 180);  // 160 + 20 (from 20.48)
  EXPECT_EQ(AdjustedGray(50, 0, 255), 0);     // 50 - 66 (from -66.3), clamped
  EXPECT_EQ(AdjustedGray(200, 0, 255), 255);
  EXPECT_EQ(AdjustedGray(46, 0, 100), 20);  // at the table's extreme, 26 levels
}

TEST(LogoAdjustment, TheContrastTableIsIndexedByTheUnadjustedGray) {
  // T[100] = -15; T[160], for the brightened value, would be +16.
  EXPECT_EQ(AdjustedGray(100, 60, 100), 145);
}

TEST(LogoAdjustment, TheContrastTableIsUsedAsListedNotMadeSymmetric) {
  EXPECT_EQ(AdjustedGray(1, 0, 100), 1);      // T[1] = 0
  EXPECT_EQ(AdjustedGray(254, 0, 100), 255);  // T[254] = 1
  EXPECT_EQ(AdjustedGray(102, 0, 100), 88);   // T[102] = -14
  EXPECT_EQ(AdjustedGray(153, 0, 100), 166);  // T[153] = 13
  for (int zero : {0, 1, 127, 128, 129, 255}) EXPECT_EQ(kContrastTable[zero], 0) << zero;
  for (int gray = 2; gray <= 126; ++gray) EXPECT_LT(kContrastTable[gray], 0) << gray;
  for (int gray = 130; gray <= 254; ++gray) EXPECT_GT(kContrastTable[gray], 0) << gray;
}

TEST(LogoDither, UniformGray100StartsBlackWhiteBlackBlackAndPacksTo0xB6) {
  LogoConversion c;
  LoadGray(c, Uniform(kLogoWidth, 3, 100));
  c.Convert({0, 0, false});
  EXPECT_EQ(Raster(c, 0)[0], 0xB6);
  for (int x = 0; x < kLogoWidth; ++x) {
    ASSERT_TRUE(c.working(x, 1) == 0 || c.working(x, 1) == 255) << x;
  }
  c.Convert({0, 0, true});
  for (std::uint8_t b : Raster(c, 0)) EXPECT_EQ(b, 0xFF);
}

TEST(LogoDither, EveryShareHasItsWeight) {
  // Uniform gray 180, three rows: the bytes at both ends of rows 1 and 2 as an independent
  // implementation of the diffusion gives them. Each of the four weights one sixteenth off
  // changes some of them.
  LogoConversion c;
  LoadGray(c, Uniform(kLogoWidth, 3, 180));
  c.Convert({0, 0, false});
  const auto row1 = Raster(c, 1);
  const auto row2 = Raster(c, 2);
  EXPECT_EQ((std::array{row1[0], row1[1], row1[46], row1[47]}),
            (std::array<std::uint8_t, 4>{0xA5, 0x14, 0x14, 0x4A}));
  EXPECT_EQ((std::array{row2[0], row2[1], row2[46], row2[47]}),
            (std::array<std::uint8_t, 4>{0x10, 0xA2, 0xA2, 0x91}));
}

TEST(LogoDither, OddRowsRunRightToLeft) {
  // Row 0 is exactly white (251 + 4), so it passes no error down; row 1 of 80 then dithers
  // from its right end (rightward it would start 0xDD).
  LogoConversion c;
  GrayRows rows = Uniform(kLogoWidth, 2, 76);
  rows[0].assign(kLogoWidth, 251);
  LoadGray(c, rows);
  c.Convert({4, 0, false});
  EXPECT_EQ(Raster(c, 0)[0], 0x00);
  EXPECT_EQ(Raster(c, 1)[0], 0xBB);
  EXPECT_EQ(Raster(c, 1)[47], 0xBB);
}

TEST(LogoDither, NeighboursSaturateAsBytes) {
  // Adjusted by +4, so the ground of 251 is exactly white and passes no error on.
  GrayRows rows = {std::vector<int>(kLogoWidth, 251)};
  // 127 turns black and adds 55 to 250, which stops at 255 and turns white with no error, so
  // 120 stays black. A wider type would pass -50 on and turn 120 white; a wrapping byte would
  // make 305 into 49, black.
  rows[0][0] = 127 - 4;
  rows[0][1] = 250 - 4;
  rows[0][2] = 120 - 4;
  // 128 turns white and takes 55 from 30, which stops at 0, so 130 stays white.
  rows[0][10] = 128 - 4;
  rows[0][11] = 30 - 4;
  rows[0][12] = 130 - 4;
  LogoConversion c;
  LoadGray(c, rows);
  c.Convert({4, 0, false});
  EXPECT_FALSE(White(c, 0, 0));
  EXPECT_TRUE(White(c, 1, 0));
  EXPECT_FALSE(White(c, 2, 0));
  EXPECT_TRUE(White(c, 10, 0));
  EXPECT_FALSE(White(c, 11, 0));
  EXPECT_TRUE(White(c, 12, 0));
}

TEST(LogoDither, SharesPastTheEdgesAreDroppedNotWrapped) {
  // Single pixels of 100 and 120 (after +4) on an exactly white ground.
  GrayRows rows = Uniform(kLogoWidth, 6, 251);
  rows[0][383] = 96;  // black; its share ahead would wrap to the start of row 1
  rows[1][0] = 96;    // visited last in its row: black unless it received that share
  rows[4][0] = 96;    // black; its share below-behind would wrap to the end of its own row
  rows[4][383] = 116;
  LogoConversion c;
  LoadGray(c, rows);
  c.Convert({4, 0, false});
  EXPECT_FALSE(White(c, 383, 0));
  EXPECT_FALSE(White(c, 0, 1));
  EXPECT_FALSE(White(c, 0, 4));
  EXPECT_FALSE(White(c, 383, 4));
}

TEST(LogoLoad, ANarrowPictureIsWidenedWithWhite) {
  LogoConversion c;
  LoadGray(c, Uniform(100, 2, 0));
  ASSERT_EQ(c.rows(), 2);
  EXPECT_EQ(c.gray(99, 1), 0);
  for (int x = 100; x < kLogoWidth; ++x) ASSERT_EQ(c.gray(x, 1), 251) << x;
  c.Convert(kStart);
  EXPECT_FALSE(White(c, 99, 0));
  EXPECT_TRUE(White(c, 100, 0));
}

TEST(LogoLoad, AWidePictureKeepsItsLeftColumns) {
  LogoConversion c;
  GrayRows rows = Uniform(500, 1, 251);
  rows[0][383] = 0;
  LoadGray(c, rows);
  EXPECT_EQ(c.gray(383, 0), 0);
  EXPECT_EQ(c.gray(382, 0), 251);
}

TEST(LogoLoad, RowsAreCutTo250AndOneRowMakesOneRow) {
  LogoConversion c;
  c.BeginLoad(300);
  EXPECT_EQ(c.rows(), kMaxLogoRows);
  c.BeginLoad(1);
  EXPECT_EQ(c.rows(), 1);
  c.BeginLoad(0);
  EXPECT_EQ(c.rows(), 0);
  c.Convert(kStart);  // over no rows
}

TEST(LogoLoad, TranslucentPixelsAreLaidOverWhite) {
  LogoConversion c;
  const std::uint32_t pixels[] = {0x00000000, 0x80000000, 0xFF000000};
  c.BeginLoad(1);
  c.LoadRow(0, pixels, 3);
  EXPECT_EQ(c.gray(0, 0), 251);
  EXPECT_EQ(c.gray(1, 0), GrayOf(0x7F7F7F));
  EXPECT_EQ(c.gray(2, 0), 0);
}

TEST(LogoConvert, TogglingTheThresholdReturnsTheSamePreview) {
  LogoConversion c;
  GrayRows rows;
  for (int y = 0; y < 40; ++y) {
    std::vector<int> row;
    for (int x = 0; x < kLogoWidth; ++x) row.push_back((x * 7 + y * 13) % 252);
    rows.push_back(row);
  }
  LoadGray(c, rows);
  const Adjustment dithered{10, 200, false};
  const Adjustment threshold{10, 200, true};
  c.Convert(dithered);
  const auto first = Preview(c, 39);
  c.Convert(threshold);
  const auto thresholded = Preview(c, 39);
  EXPECT_NE(first, thresholded);
  for (int i = 0; i < 3; ++i) {
    c.Convert(dithered);
    EXPECT_EQ(Preview(c, 39), first);
    c.Convert(threshold);
    EXPECT_EQ(Preview(c, 39), thresholded);
  }
}

TEST(LogoRaster, DotZeroIsBitSevenOfByteZeroAndBlackIsOne) {
  std::vector<std::uint32_t> row(kLogoWidth, kWhitePixel);
  std::array<std::uint8_t, kRowBytes> raster{};
  PackRasterRow(row.data(), raster.data());
  EXPECT_EQ(raster, (std::array<std::uint8_t, kRowBytes>{}));
  row[0] = kBlackPixel;
  row[9] = kBlackPixel;
  row[383] = kBlackPixel;
  PackRasterRow(row.data(), raster.data());
  EXPECT_EQ(raster[0], 0x80);
  EXPECT_EQ(raster[1], 0x40);
  EXPECT_EQ(raster[47], 0x01);
  row.assign(kLogoWidth, kBlackPixel);
  PackRasterRow(row.data(), raster.data());
  for (std::uint8_t b : raster) EXPECT_EQ(b, 0xFF);
}

}  // namespace
}  // namespace keldaro::logo
