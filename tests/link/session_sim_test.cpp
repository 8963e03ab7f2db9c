// The PC side of the link against the virtual scale and its injected faults: both ends'
// framing are separate code, so each checks the other.
#include <gtest/gtest.h>

#include <chrono>

#include "link/commands.h"
#include "link/scale_session.h"
#include "sim/virtual_scale.h"
#include "support/recording_notifier.h"

namespace keldaro {
namespace {

class AgainstSimulator : public ::testing::Test {
 protected:
  bool Connect(const sim::FaultOptions& faults = {}) {
    scale_.SetFaults(faults);
    if (!scale_.Start()) return false;
    return session_.ConnectDevice(scale_.SlavePath(), 115200, identity_);
  }
  int RequestsOf(std::uint8_t code) const {
    int n = 0;
    for (const auto& r : scale_.Requests()) n += r.code == code ? 1 : 0;
    return n;
  }
  sim::VirtualScale scale_;
  testing::RecordingNotifier notifier_;
  ScaleSession session_{notifier_};
  std::string identity_;
};

TEST_F(AgainstSimulator, IdentifiesTheScale) {
  ASSERT_TRUE(Connect());
  EXPECT_EQ(identity_, "KELDARO SIM 1.0");
  EXPECT_TRUE(notifier_.errors.empty());
}

TEST_F(AgainstSimulator, NakedRequestIsResent) {
  sim::FaultOptions faults;
  faults.nak_first = 1;
  ASSERT_TRUE(Connect(faults));
  EXPECT_EQ(scale_.FramesReceived(), 2);
}

TEST_F(AgainstSimulator, BadReplyChecksumIsRefusedAndTheGoodCopyTaken) {
  sim::FaultOptions faults;
  faults.bad_checksum = 1;
  ASSERT_TRUE(Connect(faults));
  EXPECT_EQ(identity_, "KELDARO SIM 1.0");
  EXPECT_EQ(scale_.FramesReceived(), 1);  // no resend of the request
}

TEST_F(AgainstSimulator, GarbageBeforeEveryReplyIsSkipped) {
  sim::FaultOptions faults;
  faults.garbage = {0x00, 0xC3, 0x55, 0xC3, 0x04, 0x07, 0xC3, 0x02, 0xFF};
  ASSERT_TRUE(Connect(faults));
  EXPECT_EQ(identity_, "KELDARO SIM 1.0");
}

TEST_F(AgainstSimulator, SilentScaleFailsAfterThreeSendsInAboutThreeSeconds) {
  sim::FaultOptions faults;
  faults.silent = true;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(Connect(faults));
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_EQ(scale_.FramesReceived(), 3);
  EXPECT_EQ(notifier_.CountOf("Comunication Error!"), 1);
  EXPECT_FALSE(session_.IsConnected());
  EXPECT_NEAR(seconds, 3.3, 0.4);
}

TEST_F(AgainstSimulator, NoisyLineStillGetsEveryRecordThrough) {
  sim::FaultOptions faults;
  faults.bit_error_rate = 0.004;
  faults.drop_rate = 0.0005;
  faults.seed = 7;
  ASSERT_TRUE(Connect(faults));
  int failures = 0;
  for (int n = 0; n < 100; ++n) {
    Packet& packet = session_.packet();
    packet.Clear();
    packet.PushWord(static_cast<std::uint32_t>(n));
    packet.PushByte(0);
    packet.PushByte(54);
    failures += session_.ExecuteCommand(cmd::kReadPlu) ? 0 : 1;
  }
  EXPECT_EQ(failures, 0);
}

TEST_F(AgainstSimulator, ServesAgainAfterThePortIsClosedAndReopened) {
  ASSERT_TRUE(Connect());
  session_.Disconnect();
  std::string again;
  ASSERT_TRUE(session_.ConnectDevice(scale_.SlavePath(), 9600, again));
  EXPECT_EQ(again, identity_);
  EXPECT_EQ(RequestsOf(cmd::kIdentify), 2);
}

}  // namespace
}  // namespace keldaro
