// The connection guard, the command runner's message and status display, and connecting.
#include "link/scale_session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

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
    // Short, so a silent line costs little; the real 1100 ms is tested in the timing tests.
    session_.SetReadTimeout(std::chrono::milliseconds(100));
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
  ASSERT_TRUE(session_.Connect(PortName::Parse(peer.SlavePath()).value(), 9600, identity));
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
  EXPECT_FALSE(session_.Connect(PortName::Parse("/dev/ttyKELDARO-none").value(), 9600, identity));
  ASSERT_EQ(notifier_.errors.size(), 1u);
  EXPECT_EQ(notifier_.errors[0].text, "Cannot inicialize COM port!");
  EXPECT_NE(notifier_.errors[0].detail.find("no serial port"), std::string::npos);
  EXPECT_FALSE(session_.IsConnected());
  EXPECT_TRUE(statuses_.empty());
}

TEST_F(Session, ComPortWithoutADeviceCannotOpen) {
  ::setenv("KELDARO_COM9", "/dev/ttyKELDARO-none", 1);
  std::string identity;
  EXPECT_FALSE(session_.Connect(PortName::Parse("COM9").value(), 9600, identity));
  ::unsetenv("KELDARO_COM9");
  EXPECT_EQ(notifier_.errors.at(0).text, "Cannot inicialize COM port!");
}

TEST_F(Session, SilentScaleLeavesThePortClosedAfterTheMessage) {
  PtyPeer peer([](const PeerEvent&) { return Bytes{}; });
  std::string identity;
  EXPECT_FALSE(session_.Connect(PortName::Parse(peer.SlavePath()).value(), 9600, identity));
  ASSERT_EQ(notifier_.errors.size(), 1u);
  EXPECT_EQ(notifier_.errors[0].title, "Error!");
  EXPECT_EQ(notifier_.errors[0].text, "Comunication Error!");
  EXPECT_EQ(notifier_.errors[0].detail, LinkFailureText(LinkFailure::kNoAnswer));
  EXPECT_EQ(session_.LastFailure(), LinkFailure::kNoAnswer);
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
  ASSERT_TRUE(session_.Connect(PortName::Parse(peer.SlavePath()).value(), 115200, identity));
  answer = false;
  session_.packet().Clear();
  EXPECT_FALSE(session_.ExecuteCommand(3));
  EXPECT_EQ(statuses_, (std::vector<std::uint8_t>{0xAB, 0xAB}));
  EXPECT_EQ(notifier_.errors.back().text, "Comunication Error!");
  EXPECT_TRUE(session_.IsConnected());  // no automatic disconnect
}

TEST_F(Session, FailureReasonsAreTheDetailOfTheMessage) {
  std::atomic<int> mode = 0;  // 0 answer, 1 NAK, 2 broken copies
  PtyPeer peer([&mode](const PeerEvent& e) {
    if (mode == 0) return e.is_frame ? IdentityReply(0x00, "X") : Bytes{};
    if (mode == 1) return e.is_frame ? Bytes{0x15} : Bytes{};
    Bytes bad = ReplyFrame({0x00, 0x00, 0x10});
    bad[bad.size() - 3] ^= 0x01;
    if (e.is_frame) bad.insert(bad.begin(), 0x06);
    return e.is_frame || e.bytes[0] == 0x15 ? bad : Bytes{};
  });
  std::string identity;
  ASSERT_TRUE(session_.Connect(PortName::Parse(peer.SlavePath()).value(), 9600, identity));
  mode = 1;
  session_.packet().Clear();
  EXPECT_FALSE(session_.ExecuteCommand(3));
  EXPECT_EQ(session_.LastFailure(), LinkFailure::kRefused);
  EXPECT_EQ(notifier_.errors.back().text, "Comunication Error!");
  EXPECT_EQ(notifier_.errors.back().detail, "the scale refused the request three times (NAK)");
  mode = 2;
  session_.packet().Clear();
  EXPECT_FALSE(session_.ExecuteCommand(3));
  EXPECT_EQ(session_.LastFailure(), LinkFailure::kBrokenReplies);
  EXPECT_EQ(notifier_.errors.back().detail, LinkFailureText(LinkFailure::kBrokenReplies));
  EXPECT_TRUE(session_.IsConnected());
}

// A notifier whose box, like Qt's exec, lets a timer-driven command run while it is shown.
class ReenteringNotifier : public RecordingNotifier {
 public:
  void Error(const std::string& title, const std::string& text,
             const std::string& detail) override {
    RecordingNotifier::Error(title, text, detail);
    if (session == nullptr) return;
    session->packet().Clear();
    inner_result = session->ExecuteQuietly(66);  // the terminal's display poll
    inner_failure = session->LastFailure();
    session->packet().Clear();
    session->packet().PushByte(0x30);  // a terminal key: its request is built, then refused
    inner_command = session->ExecuteCommand(64);
    inner_command_failure = session->LastFailure();
  }
  ScaleSession* session = nullptr;
  bool inner_result = true;
  bool inner_command = true;
  LinkFailure inner_failure = LinkFailure::kNone;
  LinkFailure inner_command_failure = LinkFailure::kNone;
};

TEST(SessionGuard, RefusesACommandWhileOneIsInHand) {
  std::atomic<bool> answer = true;
  PtyPeer peer([&answer](const PeerEvent& e) {
    return e.is_frame && answer ? IdentityReply(0x42, "GUARD") : Bytes{};
  });
  ReenteringNotifier notifier;
  ScaleSession session(notifier);
  session.SetReadTimeout(std::chrono::milliseconds(100));
  std::vector<std::uint8_t> statuses;
  session.SetStatusCallback([&](std::uint8_t s) { statuses.push_back(s); });
  std::string identity;
  ASSERT_TRUE(session.Connect(PortName::Parse(peer.SlavePath()).value(), 9600, identity));
  EXPECT_FALSE(session.Busy());

  answer = false;
  notifier.session = &session;
  const int frames_before = peer.FramesSeen();
  session.packet().Clear();
  EXPECT_FALSE(session.ExecuteCommand(3));  // fails: its box runs the timer's poll
  EXPECT_FALSE(notifier.inner_result);
  EXPECT_EQ(notifier.inner_failure, LinkFailure::kBusy);
  EXPECT_FALSE(notifier.inner_command);
  EXPECT_EQ(notifier.inner_command_failure, LinkFailure::kBusy);
  EXPECT_EQ(peer.FramesSeen(), frames_before + 3);  // only the outer command's three sends
  EXPECT_EQ(notifier.errors.size(), 1u);            // the refused ones show nothing
  EXPECT_EQ(statuses, (std::vector<std::uint8_t>{0x42, 0x42}));  // the reply area untouched
  EXPECT_FALSE(session.Busy());
  EXPECT_EQ(session.LastFailure(), LinkFailure::kNoAnswer);

  answer = true;  // and the session serves again once the command is out of hand
  session.packet().Clear();
  EXPECT_TRUE(session.ExecuteQuietly(1));
}

TEST_F(Session, PortThatWentAwayClosesTheSessionAndTellsTheWindow) {
  std::atomic<bool> hang_up = false;
  std::atomic<bool> connected = false;
  PtyPeer peer([&](const PeerEvent& e) {
    if (!e.is_frame) return Bytes{};
    if (!connected) return IdentityReply(0x00, "X");
    hang_up = true;
    return Bytes{0x06, 0xC3, 0x04};  // a reply cut off by the unplugged adapter
  });
  int lost = 0;
  session_.SetLinkLostCallback([&] {
    ++lost;
    EXPECT_FALSE(session_.IsConnected());
  });
  std::string identity;
  ASSERT_TRUE(session_.Connect(PortName::Parse(peer.SlavePath()).value(), 9600, identity));
  connected = true;
  std::thread unplug([&] {
    peer.WaitFor([&] { return hang_up.load(); }, std::chrono::seconds(5));
    peer.HangUp();
  });
  session_.packet().Clear();
  EXPECT_FALSE(session_.ExecuteCommand(3));
  unplug.join();
  EXPECT_EQ(session_.LastFailure(), LinkFailure::kPortGone);
  EXPECT_EQ(notifier_.errors.back().text, "Comunication Error!");
  EXPECT_EQ(notifier_.errors.back().title, "Error!");
  EXPECT_EQ(notifier_.errors.back().detail, LinkFailureText(LinkFailure::kPortGone));
  EXPECT_EQ(lost, 1);
  EXPECT_FALSE(session_.IsConnected());
  EXPECT_FALSE(session_.RequireConnection());  // "You are not connected to the scale!"
}

}  // namespace
}  // namespace keldaro
