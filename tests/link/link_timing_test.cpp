// The link against the wall clock, at the program's real read time-out of 1100 ms: a silent
// scale costs three sends and about 3.3 s, a single read about 1.1 s, a device whose read()
// would block for ever (/dev/ptmx) is still given up in about 3.3 s, and a hang-up ends a try
// at once without spinning. Registered with the label "timing": the main run leaves these out.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "link/packet.h"
#include "link/pty_peer.h"
#include "link/scale_session.h"
#include "link/serial_port.h"
#include "sim/virtual_scale.h"
#include "support/recording_notifier.h"

namespace keldaro {
namespace {

using testing::Bytes;
using testing::PeerEvent;
using testing::PtyPeer;

double SecondsOf(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

TEST(LinkTiming, TheProgramKeeps1100Milliseconds) {
  SerialPort port;
  EXPECT_EQ(port.ReadTimeout(), std::chrono::milliseconds(1100));
  Packet packet;
  EXPECT_EQ(packet.ReadTimeout(), std::chrono::milliseconds(1100));
}

TEST(LinkTiming, ReadTimesOutAfterAbout1100Milliseconds) {
  PtyPeer peer([](const PeerEvent&) { return Bytes{}; });
  SerialPort port;
  ASSERT_TRUE(port.Open(peer.SlavePath(), 9600));
  const double first = SecondsOf([&] { port.ReadByte(); });
  EXPECT_TRUE(port.Error);
  EXPECT_GT(first, 1.09);
  EXPECT_LT(first, 1.4);
  EXPECT_LT(SecondsOf([&] { EXPECT_EQ(port.ReadByte(), 0); }), 0.05);
}

TEST(LinkTiming, SilentScaleCostsThreeSendsAndAboutThreeSeconds) {
  PtyPeer peer([](const PeerEvent&) { return Bytes{}; });
  Packet packet;
  ASSERT_TRUE(packet.Open(PortName::Parse(peer.SlavePath()).value(), 9600));
  packet.Clear();
  const double seconds = SecondsOf([&] { packet.Execute(1); });
  EXPECT_TRUE(packet.Failed);
  EXPECT_EQ(packet.Failure(), LinkFailure::kNoAnswer);
  EXPECT_EQ(peer.FramesSeen(), 3);
  for (const PeerEvent& e : peer.Events())
    EXPECT_EQ(e.bytes, (Bytes{0xC3, 0x04, 0x00, 0x01, 0x01, 0xC3, 0x02}));
  EXPECT_GT(seconds, 3.2);
  EXPECT_LT(seconds, 3.8);
}

TEST(LinkTiming, SilentVirtualScaleFailsTheConnectInAboutThreeSeconds) {
  sim::ScaleOptions options;
  options.faults.silent = true;
  sim::VirtualScale scale(options);
  ASSERT_TRUE(scale.Start());
  testing::RecordingNotifier notifier;
  ScaleSession session(notifier);
  std::string identity;
  const double seconds = SecondsOf([&] {
    EXPECT_FALSE(session.Connect(PortName::Parse(scale.SlavePath()).value(), 115200, identity));
  });
  EXPECT_EQ(scale.FramesReceived(), 3);
  EXPECT_EQ(notifier.CountOf("Comunication Error!"), 1);
  EXPECT_NEAR(seconds, 3.3, 0.4);
}

// `keldaro-cli --port /dev/ptmx identify` used to block for ever in read(): a pseudo-terminal
// master whose slave nobody opened ignores VTIME. Every wait is now measured with poll().
TEST(LinkTiming, PtmxFailsTheConnectInAboutThreeSeconds) {
  testing::RecordingNotifier notifier;
  ScaleSession session(notifier);
  std::string identity;
  const double seconds = SecondsOf(
      [&] { EXPECT_FALSE(session.Connect(PortName::Parse("/dev/ptmx").value(), 9600, identity)); });
  ASSERT_EQ(notifier.errors.size(), 1u);
  EXPECT_EQ(notifier.errors[0].text, "Comunication Error!");
  EXPECT_EQ(session.LastFailure(), LinkFailure::kNoAnswer);
  EXPECT_FALSE(session.IsConnected());
  EXPECT_GT(seconds, 3.2);
  EXPECT_LT(seconds, 3.8);
}

TEST(LinkTiming, PeerHangingUpMidReplyFailsPromptlyWithoutSpinning) {
  std::atomic<bool> replied = false;
  PtyPeer peer([&replied](const PeerEvent& e) {
    if (!e.is_frame) return Bytes{};
    replied = true;
    return Bytes{0x06, 0xC3, 0x04, 0x00, 0x01};  // a reply that never ends
  });
  std::thread unplug([&] {
    peer.WaitFor([&] { return replied.load(); }, std::chrono::seconds(5));
    peer.HangUp();
  });
  Packet packet;
  ASSERT_TRUE(packet.Open(PortName::Parse(peer.SlavePath()).value(), 9600));
  packet.Clear();
  const double cpu_before = CpuSeconds();
  const double seconds = SecondsOf([&] { packet.Execute(1); });
  unplug.join();
  EXPECT_TRUE(packet.Failed);
  EXPECT_EQ(packet.Failure(), LinkFailure::kPortGone);
  EXPECT_LT(seconds, 1.0);
  EXPECT_LT(CpuSeconds() - cpu_before, 0.5);
}

}  // namespace
}  // namespace keldaro
