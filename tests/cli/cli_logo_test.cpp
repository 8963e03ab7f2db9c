// keldaro-cli logo convert | send: the preview files, the options' limits, and the logo sent to
// the virtual scale.
#include <gtest/gtest.h>

#include <QImage>

#include "cli_fixture.h"
#include "link/commands.h"
#include "logo/logo_picture.h"
#include "logo/logo_raster.h"

namespace keldaro::cli {
namespace {

class CliLogo : public CliTest {
 protected:
  // A gray-100 picture 200 pixels wide with a black band across rows 0 .. 9.
  std::string Picture(const std::string& name, int rows = 30) {
    QImage picture(200, rows, QImage::Format_RGB32);
    picture.fill(0xFF666666);
    for (int y = 0; y < std::min(rows, 10); ++y) {
      for (int x = 0; x < 200; ++x) picture.setPixel(x, y, 0xFF000000);
    }
    // Named after the test too: CTest runs the tests side by side, each in a process of its own.
    const std::string path = ::testing::TempDir() +
                             ::testing::UnitTest::GetInstance()->current_test_info()->name() + "-" +
                             name;
    EXPECT_TRUE(picture.save(QString::fromStdString(path)));
    return path;
  }
  static QImage Expected(const std::string& path, const logo::Adjustment& adjustment) {
    logo::LogoPicture picture;
    QString reason;
    EXPECT_TRUE(picture.Load(QString::fromStdString(path), adjustment, reason));
    return picture.preview();
  }
};

TEST_F(CliLogo, ConvertWritesThePreviewAsPngOrPbmWithoutAScale) {
  const std::string bmp = Picture("logo.bmp");
  const std::string png = ::testing::TempDir() + "preview.png";
  CliRun run = RunRaw({"logo", "convert", bmp, "--out", png});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  const QImage expected = Expected(bmp, {});
  QImage written(QString::fromStdString(png));
  EXPECT_EQ(written.convertToFormat(QImage::Format_RGB32), expected);

  const std::string pbm = ::testing::TempDir() + "preview.PBM";
  run = RunRaw({"logo", "convert", bmp, "--out", pbm, "--threshold", "--brightness", "-20",
                "--contrast", "0"});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  const std::string file = ReadFile(pbm);
  const std::string header = "P4\n384 30\n";
  ASSERT_EQ(file.size(), header.size() + 30 * 48);
  EXPECT_EQ(file.substr(0, header.size()), header);
  const QImage thresholded = Expected(bmp, {-20, 0, true});
  for (int y = 0; y < 30; ++y) {
    const logo::RasterRow row = logo::PreviewRasterRow(thresholded, y);
    ASSERT_EQ(file.substr(header.size() + y * 48, 48), std::string(row.begin(), row.end()));
  }
  // Gray 100 - 20 is black all through, the white widening is not.
  EXPECT_EQ(static_cast<std::uint8_t>(file[header.size() + 29 * 48 + 24]), 0xFF);
  EXPECT_EQ(static_cast<std::uint8_t>(file[header.size() + 29 * 48 + 25]), 0x00);
  EXPECT_TRUE(scale_.Requests().empty());
}

TEST_F(CliLogo, OptionsOutsideTheTrackBarsExitTwoAndWriteNothing) {
  const std::string bmp = Picture("logo.bmp");
  const std::string out = ::testing::TempDir() + "never.png";
  std::remove(out.c_str());
  for (const std::vector<std::string>& options : {std::vector<std::string>{"--brightness", "129"},
                                                  {"--brightness", "-129"},
                                                  {"--contrast", "256"},
                                                  {"--contrast", "-1"},
                                                  {"--contrast", "x"}}) {
    std::vector<std::string> args = {"logo", "convert", bmp, "--out", out};
    args.insert(args.end(), options.begin(), options.end());
    EXPECT_EQ(RunRaw(args).exit_code, 2) << options[0] << ' ' << options[1];
  }
  EXPECT_EQ(RunRaw({"logo", "convert", bmp}).exit_code, 2);  // --out is needed
  EXPECT_TRUE(ReadFile(out).empty());
  EXPECT_EQ(
      RunRaw({"logo", "convert", bmp, "--out", out, "--brightness", "128", "--contrast", "255"})
          .exit_code,
      0);
}

TEST_F(CliLogo, AFileThatIsNoPictureExitsTwoAndSendsNothing) {
  const std::string junk = TempFile("junk.bmp", "BM not a bitmap at all");
  CliRun run = Run({"logo", "send", junk});
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_EQ(run.err.rfind("Bitmap image is not valid\n", 0), 0u) << run.err;
  EXPECT_NE(run.err.find("junk.bmp"), std::string::npos);
  EXPECT_TRUE(scale_.Requests().empty());  // the port was never opened
  run = RunRaw({"logo", "convert", junk, "--out", ::testing::TempDir() + "junk.png"});
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_EQ(run.err.rfind("Bitmap image is not valid\n", 0), 0u) << run.err;
}

TEST_F(CliLogo, SendConvertsAndSendsAsTheWindowDoes) {
  const std::string bmp = Picture("tall.bmp", 300);
  scale_.ClearLog();
  const CliRun run = Run({"logo", "send", bmp, "--contrast", "0"});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(CountOf(cmd::kWriteLogo), 251);
  const QImage expected = Expected(bmp, {0, 0, false});
  scale_.WithState([&](sim::ScaleState& s) {
    EXPECT_EQ(s.logo_declared_rows, 250);
    ASSERT_EQ(s.logo_rows.size(), 250u);
    for (int y = 0; y < 250; ++y) ASSERT_EQ(s.logo_rows[y], logo::PreviewRasterRow(expected, y));
    EXPECT_EQ(s.logo_rows[20][0], 0xB6);  // the uniform gray-100 pattern
  });
}

TEST_F(CliLogo, ASilentScaleFailsTheSend) {
  sim::FaultOptions faults;
  faults.silent_after = 1 + 3;  // the identity, the header, rows 0 and 1
  scale_.SetFaults(faults);
  const CliRun run = Run({"logo", "send", Picture("logo.bmp")});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_NE(run.err.find("Comunication Error!"), std::string::npos);
}

}  // namespace
}  // namespace keldaro::cli
