// The logo window with its real widgets against the virtual scale: loading through the file
// chooser, the controls re-converting at once, and "Terazi'ye gönder" with its progress bar.
#include <QFile>

#include "app/qt_file_chooser.h"
#include "gui_fixture.h"
#include "logo/logo_raster.h"

namespace keldaro::gui_testing {
namespace {

class LogoWindowTest : public GuiTest {
 protected:
  static constexpr int kWidth = 200;
  logo::LogoWindow& window() { return program->form4(); }
  const QImage& preview() { return window().picture().preview(); }

  void SetUp() override {
    GuiTest::SetUp();
    window().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window()));
  }

  // A picture file of `rows` rows, kWidth pixels wide, all of one colour.
  QString PictureFile(const QString& name, int rows, QRgb colour) {
    QImage picture(kWidth, rows, QImage::Format_RGB32);
    picture.fill(colour);
    const QString path = config_dir.filePath(name);
    EXPECT_TRUE(picture.save(path));
    return path;
  }

  void Load(const QString& path) {
    files.answers = {path};
    Click(window().Button1);
  }

  // Whether the picture's part of row y is all `pixel` (the widening is white).
  bool AllOf(int y, QRgb pixel) {
    for (int x = 0; x < kWidth; ++x) {
      if (preview().pixel(x, y) != pixel) return false;
    }
    return true;
  }
};

constexpr QRgb kGray100 = 0xFF666666;

TEST_F(LogoWindowTest, StartsAsDesigned) {
  EXPECT_EQ(window().objectName(), "Form4");
  EXPECT_EQ(window().windowTitle(), QStringLiteral("Logo yükle"));
  EXPECT_EQ(window().size(), QSize(401, 323));
  EXPECT_TRUE(window().windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_EQ(window().Image1->size(), QSize(384, 250));
  EXPECT_EQ(window().Button1->text(), QStringLiteral("Yükle"));
  EXPECT_EQ(window().Button2->text(), QStringLiteral("Terazi'ye gönder"));
  EXPECT_EQ(window().CheckBox1->text(), "50% Threshold");
  EXPECT_FALSE(window().CheckBox1->isChecked());
  EXPECT_FALSE(window().ProgressBar1->isVisible());
  EXPECT_EQ(window().ProgressBar1->maximum(), 100);
  const QSlider& brightness = *window().TrackBar1;
  const QSlider& contrast = *window().TrackBar2;
  EXPECT_EQ((std::array{brightness.minimum(), brightness.maximum(), brightness.value()}),
            (std::array{-128, 128, 0}));
  EXPECT_EQ((std::array{contrast.minimum(), contrast.maximum(), contrast.value()}),
            (std::array{0, 255, 128}));
  EXPECT_EQ(brightness.pageStep(), 16);
  EXPECT_EQ(contrast.tickInterval(), 32);
  EXPECT_EQ(preview().height(), 0);
}

TEST_F(LogoWindowTest, YukleShowsThePictureUnscaled) {
  QImage picture(100, 30, QImage::Format_RGB32);
  picture.fill(Qt::black);
  const QString path = config_dir.filePath("logo.BMP");
  ASSERT_TRUE(picture.save(path, "BMP"));
  Load(path);
  ASSERT_TRUE(notifier.errors.empty()) << LastError();
  ASSERT_EQ(files.shown.size(), 1u);
  EXPECT_TRUE(files.shown[0].filter.startsWith("BMP|*.BMP|"));
  EXPECT_TRUE(files.shown[0].filter.contains("PNG|*.PNG"));
  EXPECT_EQ(files.shown[0].initial_folder, ".");
  ASSERT_EQ(preview().size(), QSize(384, 30));

  const QImage shown = window().Image1->grab().toImage().convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(shown.size(), QSize(384, 250));
  EXPECT_EQ(shown.copy(0, 0, 384, 30), preview());
  EXPECT_EQ(shown.pixel(50, 10), logo::kBlackPixel);
  EXPECT_EQ(shown.pixel(150, 10), logo::kWhitePixel);  // widened with white
  EXPECT_EQ(shown.pixel(50, 100), logo::kWhitePixel);  // below the picture
}

TEST_F(LogoWindowTest, ACancelOrAFileThatIsNoPictureKeepsThePreviousPicture) {
  Load(PictureFile("first.png", 12, kGray100));
  const QImage before = preview();
  ASSERT_EQ(before.height(), 12);
  Load(QString());  // cancelled
  EXPECT_EQ(preview(), before);
  QFile junk(config_dir.filePath("junk.bmp"));
  ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
  junk.write("BM this is not a bitmap");
  junk.close();
  Load(junk.fileName());
  ASSERT_EQ(notifier.errors.size(), 1u);
  EXPECT_EQ(notifier.errors[0].title, "Error");
  EXPECT_EQ(notifier.errors[0].text, "Bitmap image is not valid");
  EXPECT_EQ(preview(), before);
  // The gray image is the earlier picture's too: a control converts it again.
  Click(window().CheckBox1);
  EXPECT_EQ(preview().height(), 12);
  EXPECT_TRUE(AllOf(5, logo::kBlackPixel));
}

TEST_F(LogoWindowTest, EveryControlConvertsAgainAtOnce) {
  Load(PictureFile("gray.png", 4, kGray100));
  // Dithered at the start positions: a mix; thresholded: gray 100 - 19 is black.
  EXPECT_FALSE(AllOf(0, logo::kBlackPixel));
  const QImage dithered = preview();
  Click(window().CheckBox1);
  EXPECT_TRUE(AllOf(0, logo::kBlackPixel));
  window().TrackBar1->setFocus();
  QTest::keyClick(window().TrackBar1, Qt::Key_End);  // brightness 128: 228 - 19, white
  EXPECT_EQ(window().TrackBar1->value(), 128);
  EXPECT_TRUE(AllOf(3, logo::kWhitePixel));
  QTest::keyClick(window().TrackBar1, Qt::Key_Home);
  QTest::keyClick(window().TrackBar1, Qt::Key_PageUp);  // -112: still black
  EXPECT_TRUE(AllOf(3, logo::kBlackPixel));
  QTest::keyClick(window().TrackBar1, Qt::Key_End);
  window().TrackBar2->setFocus();
  QTest::keyClick(window().TrackBar2, Qt::Key_Home);  // contrast 0
  Click(window().CheckBox1);                          // dithering again
  EXPECT_TRUE(AllOf(0, logo::kWhitePixel));
  window().TrackBar1->setValue(0);
  EXPECT_EQ(logo::PreviewRasterRow(preview(), 0)[0], 0xB6);
  window().TrackBar2->setValue(128);
  EXPECT_EQ(preview(), dithered);
  // A later load keeps the controls' positions and uses them at once.
  Click(window().CheckBox1);
  Load(PictureFile("gray2.png", 7, kGray100));
  EXPECT_EQ(preview().height(), 7);
  EXPECT_TRUE(AllOf(6, logo::kBlackPixel));
  EXPECT_EQ(files.shown.size(), 2u);  // the controls never opened the dialog
}

TEST_F(LogoWindowTest, Button1ClickFromTheWindowOnlyConverts) {
  Load(PictureFile("gray.png", 3, kGray100));
  window().CheckBox1->blockSignals(true);
  window().CheckBox1->setChecked(true);
  window().CheckBox1->blockSignals(false);
  window().Button1Click(&window());
  EXPECT_EQ(files.shown.size(), 1u);
  EXPECT_TRUE(AllOf(2, logo::kBlackPixel));
}

TEST_F(LogoWindowTest, SendingNeedsAConnection) {
  Load(PictureFile("gray.png", 3, kGray100));
  Click(window().Button2);
  EXPECT_EQ(notifier.CountOf(kNotConnectedText), 1);
  EXPECT_FALSE(window().ProgressBar1->isVisible());
  EXPECT_TRUE(scale->Requests().empty());
}

TEST_F(LogoWindowTest, TeraziyeGonderSendsEveryRowAndHidesTheBar) {
  ConnectToScale();
  Load(PictureFile("gray.png", 20, kGray100));
  scale->ClearLog();
  Click(window().Button2);
  ASSERT_TRUE(notifier.errors.empty()) << LastError();
  EXPECT_EQ(RequestCount(cmd::kWriteLogo), 21);
  EXPECT_FALSE(window().ProgressBar1->isVisible());
  EXPECT_EQ(window().ProgressBar1->maximum(), 20);
  EXPECT_EQ(window().ProgressBar1->value(), 19);
  const QImage sent = preview();
  scale->WithState([&](sim::ScaleState& s) {
    EXPECT_EQ(s.logo_declared_rows, 20);
    ASSERT_EQ(s.logo_rows.size(), 20u);
    for (int y = 0; y < 20; ++y) EXPECT_EQ(s.logo_rows[y], logo::PreviewRasterRow(sent, y)) << y;
  });
  EXPECT_TRUE(window().isVisible());  // the window stays open to send again
}

TEST_F(LogoWindowTest, WithNoPictureOnlyTheHeaderGoes) {
  ConnectToScale();
  scale->ClearLog();
  Click(window().Button2);
  ASSERT_EQ(scale->Requests().size(), 1u);
  EXPECT_EQ(scale->Requests()[0].payload, (std::vector<std::uint8_t>{0, 0, 0}));
  EXPECT_FALSE(window().ProgressBar1->isVisible());
}

TEST_F(LogoWindowTest, AFailedRowLeavesTheBarShowingAtTheLastRowThatWentThrough) {
  ConnectToScale();
  Load(PictureFile("gray.png", 20, kGray100));
  sim::FaultOptions faults;
  faults.silent_after = 1 + 5;  // from now: the header and rows 0 .. 4
  scale->SetFaults(faults);
  Click(window().Button2);
  EXPECT_EQ(notifier.CountOf(kCommunicationErrorText), 1);
  EXPECT_TRUE(window().ProgressBar1->isVisible());
  EXPECT_EQ(window().ProgressBar1->value(), 4);
  // A later run that goes through hides it again.
  scale->SetFaults({});
  Click(window().Button2);
  EXPECT_FALSE(window().ProgressBar1->isVisible());
}

TEST(FileDialogText, SeveralPairsBecomeFiltersInTheirOrder) {
  EXPECT_EQ(app::QtNameFilter(logo::kPictureFileDialog.filter),
            "BMP (*.BMP *.bmp);;PNG (*.PNG *.png);;JPEG (*.JPG *.jpg *.JPEG *.jpeg);;"
            "GIF (*.GIF *.gif)");
}

}  // namespace
}  // namespace keldaro::gui_testing
