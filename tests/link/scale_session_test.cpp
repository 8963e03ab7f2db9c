// The connection guard, the command runner's message and status display, and connecting.
#include "link/scale_session.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <atomic>

#include "link/pty_peer.h"
#include "support/recording_notifier.h"

namespace keldaro {
namespace {

using testing::Bytes;
using testing::PeerEvent;
using testing::PtyPeer;
using testing::RecordingNotifier;
using testing::ReplyFrame;

Bytes IdentityReply(std::uint8_t status, const std::string& identity) {
  // Sized first, then filled: growing a short vector by insert trips GCC 12's -Warray-bounds
  // at -O2 and above (a false report on the reallocation path).
  Bytes body(2 + 33, 0);
  body[0] = status;
  std::copy(identity.begin(), identity.end(), body.begin() + 2);
  const Bytes frame = ReplyFrame(body);
  Bytes reply(1 + frame.size(), 0x06);
  std::copy(frame.begin(), frame.end(), reply.begin() + 1);
  return reply;
}

class Session : public ::testing::Test {
 protected:
  Session() {
    session_.SetStatusCallback([this](std::uint8_t s) { statuses_.push_back(s); });
  }
  RecordingNotifier notifier_;
  ScaleSession session_{notifier_};
  std::vector<std::uint8_t> statuses_;
};

TEST(StatusText, IsTwoUpperCaseHexDigits) {
  EXPECT_EQ(StatusText(0xAB), "STATUS:AB");
  EXPECT_EQ(StatusText(0x04), "STATUS:04");
}

TEST_F(Session, GuardRefusesWithoutAnOpenPort) {
  EXPECT_FALSE(session_.RequireConnection());
  ASSERT_EQ(notifier_.errors.size(), 1u);
  EXPECT_EQ(notifier_.errors[0].title, "Error!");
  EXPECT_EQ(notifier_.errors[0].text, "You are not connected to the scale!");
}

TEST_F(Session, ConnectReadsTheIdentityAndReportsTheStatus) {
  PtyPeer peer([](const PeerEvent& e) {
    return e.is_frame ? IdentityReply(0x04, "KELDARO TEST 2") : Bytes{};
  });
  std::string identity;
  ASSERT_TRUE(session_.ConnectDevice(peer.SlavePath(), 9600, identity));
  EXPECT_EQ(identity, "KELDARO TEST 2");
  EXPECT_TRUE(session_.IsConnected());
  EXPECT_TRUE(session_.RequireConnection());
  EXPECT_EQ(statuses_, (std::vector<std::uint8_t>{0x04}));
  EXPECT_TRUE(notifier_.errors.empty());
  session_.Disconnect();
  EXPECT_FALSE(session_.IsConnected());
}

TEST_F(Session, PortThatWillNotOpenSaysSoWithTheReason) {
  std::string identity;
  EXPECT_FALSE(session_.ConnectDevice("/dev/ttyKELDARO-none", 9600, identity));
  ASSERT_EQ(notifier_.errors.size(), 1u);
  EXPECT_EQ(notifier_.errors[0].text, "Cannot inicialize COM port!");
  EXPECT_NE(notifier_.errors[0].detail.find("no serial port"), std::string::npos);
  EXPECT_FALSE(session_.IsConnected());
  EXPECT_TRUE(statuses_.empty());
}

TEST_F(Session, ComZeroCannotOpen) {
  std::string identity;
  EXPECT_FALSE(session_.Connect(0, 9600, identity));
  EXPECT_EQ(notifier_.errors.at(0).text, "Cannot inicialize COM port!");
}

TEST_F(Session, SilentScaleLeavesThePortClosedAfterTheMessage) {
  PtyPeer peer([](const PeerEvent&) { return Bytes{}; });
  std::string identity;
  EXPECT_FALSE(session_.ConnectDevice(peer.SlavePath(), 9600, identity));
  ASSERT_EQ(notifier_.errors.size(), 1u);
  EXPECT_EQ(notifier_.errors[0].text, "Comunication Error!");
  EXPECT_FALSE(session_.IsConnected());
  EXPECT_EQ(peer.FramesSeen(), 3);
  EXPECT_EQ(statuses_.size(), 1u);  // the label still follows the reply area
}

TEST_F(Session, FailedCommandStillReportsThePreviousStatus) {
  std::atomic<bool> answer = true;
  PtyPeer peer([&answer](const PeerEvent& e) {
    return e.is_frame && answer ? IdentityReply(0xAB, "X") : Bytes{};
  });
  std::string identity;
  ASSERT_TRUE(session_.ConnectDevice(peer.SlavePath(), 115200, identity));
  answer = false;
  session_.packet().Clear();
  EXPECT_FALSE(session_.ExecuteCommand(3));
  EXPECT_EQ(statuses_, (std::vector<std::uint8_t>{0xAB, 0xAB}));
  EXPECT_EQ(notifier_.errors.back().text, "Comunication Error!");
  EXPECT_TRUE(session_.IsConnected());  // no automatic disconnect
}

}  // namespace
}  // namespace keldaro
