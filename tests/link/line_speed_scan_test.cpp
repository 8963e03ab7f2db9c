// Finding a scale's line speed against the virtual scale set to one speed of its own.
#include "link/line_speed_scan.h"

#include <gtest/gtest.h>

#include <vector>

#include "sim/virtual_scale.h"

namespace keldaro {
namespace {

class LineSpeedScan : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(scale_.Start()); }
  static sim::ScaleOptions At19200() {
    sim::ScaleOptions options;
    options.speed = 19200;
    return options;
  }
  sim::VirtualScale scale_{At19200()};
};

TEST_F(LineSpeedScan, FindsTheScaleAtItsOwnSpeedOnlyWithOneRequestEach) {
  const std::vector<int> speeds = FastestFirst();
  const PortScan scan = ScanLineSpeeds(PortName::Parse(scale_.SlavePath()).value(), speeds);
  EXPECT_TRUE(scan.open_error.empty());
  ASSERT_EQ(scan.answers.size(), 1u);
  EXPECT_EQ(scan.answers[0].baud, 19200);
  EXPECT_EQ(scan.answers[0].identity, "KELDARO SIM 1.0");
  // One send at each speed: a scan never repeats a request.
  EXPECT_TRUE(scale_.WaitForFrames(10, 1000));
  EXPECT_EQ(scale_.FramesReceived(), 10);
  // Only the request at the scale's own speed was understood.
  ASSERT_EQ(scale_.Requests().size(), 1u);
  EXPECT_EQ(scale_.Requests()[0].code, 1);
}

TEST_F(LineSpeedScan, AWrongSpeedHearsGarbleNotSilence) {
  // A faster PC hears the scale's answer as several broken bytes.
  std::vector<std::uint8_t> heard;
  const PortScan scan =
      ScanLineSpeeds(PortName::Parse(scale_.SlavePath()).value(), {115200},
                     [&heard](LineDirection d, const std::uint8_t* bytes, std::size_t count) {
                       if (d == LineDirection::kReceived)
                         heard.insert(heard.end(), bytes, bytes + count);
                     });
  EXPECT_TRUE(scan.answers.empty());
  EXPECT_FALSE(heard.empty());
  EXPECT_TRUE(scale_.Requests().empty());
}

TEST(LineSpeedScanPort, APortThatWillNotOpenIsReportedOnce) {
  const PortScan scan = ScanLineSpeeds(PortName::Parse("/nonexistent/tty").value(), {9600, 19200});
  EXPECT_TRUE(scan.answers.empty());
  EXPECT_NE(scan.open_error.find("/nonexistent/tty"), std::string::npos);
}

TEST(LineSpeedScanWait, IsAFewByteTimesAndNeverBelowTheScalesTurnRound) {
  EXPECT_EQ(ScanByteWaitMs(115200), 50);
  EXPECT_EQ(ScanByteWaitMs(1200), 67);  // eight bytes of 8.33 ms
}

}  // namespace
}  // namespace keldaro
