// The virtual scale's timing against the wall clock: pacing to the wire time at several speeds
// (the 12 s paced read among them) and prompt stops. Registered with the label "timing": the main
// run leaves these out, so that it stays quick and is not flaky on a loaded machine.
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <termios.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "link/commands.h"
#include "sim/pc_client.h"
#include "sim/termios2_speed.h"
#include "sim/virtual_scale.h"
#include "sim/virtual_scale_fixture.h"

namespace keldaro::sim {
namespace {

using namespace std::chrono_literals;
using testing::Bytes;
using testing::Exchange;
using testing::PcPort;
using testing::RequestFrame;
using testing::Seconds;
using testing::Transact;
using testing::VirtualScaleTest;

TEST_F(VirtualScaleTest, PacingHoldsTheWireTimeAt9600) {
  StartScale(Paced());
  ASSERT_TRUE(port_.Open(scale_->SlavePath(), B9600));
  const int kExchanges = 8;
  // Request 7 bytes, ACK 1, reply 3 + 2 + 33 + 1 + 2 = 41, the PC's ACK 1: 50 bytes each.
  const double wire = kExchanges * 50 * 10.0 / 9600;
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kExchanges; ++i) {
    const Exchange ex = Transact(port_, cmd::kIdentify);
    ASSERT_TRUE(ex.checksum_ok);
    ASSERT_EQ(ex.raw.size(), 41u);
  }
  const double took = Seconds(std::chrono::steady_clock::now() - start);
  RecordProperty("ratio_to_wire_time", std::to_string(took / wire));
  // The PC's last ACK is still on the wire when Transact returns, hence the slack below 1.
  EXPECT_GT(took, wire * 0.97);
  EXPECT_LT(took, wire * 1.25);
}

TEST_F(VirtualScaleTest, PacingFollowsTheSpeedThePcChose) {
  StartScale(Paced());
  ASSERT_TRUE(port_.Open(scale_->SlavePath(), B2400));
  auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(Transact(port_, cmd::kIdentify).checksum_ok);
  const double slow = Seconds(std::chrono::steady_clock::now() - start);
  EXPECT_GT(slow, 49 * 10.0 / 2400 * 0.97);  // all but the PC's last ACK
  port_.Close();
  ASSERT_TRUE(port_.Open(scale_->SlavePath(), B115200));
  start = std::chrono::steady_clock::now();
  EXPECT_TRUE(Transact(port_, cmd::kIdentify).checksum_ok);
  const double fast = Seconds(std::chrono::steady_clock::now() - start);
  EXPECT_LT(fast, slow / 10);
}

TEST_F(VirtualScaleTest, PacingKnowsSpeedsSetAsNumbers) {
  StartScale(Paced());
  ASSERT_TRUE(testing::SetSpeedNumber(port_.fd(), 14400));  // no B14400: set through termios2
  const int kExchanges = 4;
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kExchanges; ++i) EXPECT_TRUE(Transact(port_, cmd::kIdentify).checksum_ok);
  const double took = Seconds(std::chrono::steady_clock::now() - start);
  const double wire = (kExchanges * 50 - 1) * 10.0 / 14400;
  EXPECT_GT(took, wire * 0.97);
  EXPECT_LT(took, wire * 1.3);
}

TEST_F(VirtualScaleTest, FullPacedPluReadAt115200ComesCloseToTheWireTime) {
  StartScale(Paced());
  ASSERT_TRUE(port_.Open(scale_->SlavePath(), B115200));
  std::size_t bytes = 0;
  const auto start = std::chrono::steady_clock::now();
  for (int n = 0; n <= 1800; ++n) {
    const Bytes request = RequestFrame(cmd::kReadPlu, PluRequest(static_cast<std::uint16_t>(n)));
    const Exchange ex = Transact(port_, cmd::kReadPlu, PluRequest(static_cast<std::uint16_t>(n)));
    ASSERT_TRUE(ex.checksum_ok) << n;
    bytes += request.size() + 1 + ex.raw.size() + 1;
  }
  const double took = Seconds(std::chrono::steady_clock::now() - start);
  const double wire = bytes * 10.0 / 115200;
  RecordProperty("ratio_to_wire_time", std::to_string(took / wire));
  std::printf("paced 1801-PLU read at 115200: %.3f s for %.3f s of wire time (ratio %.4f)\n", took,
              wire, took / wire);
  EXPECT_GT(took, wire * 0.99);
  // The 2% goal is for the benchmark on a quiet machine; under a loaded test run (or the
  // sanitizers) allow more.
  EXPECT_LT(took, wire * 1.25);
}

TEST_F(VirtualScaleTest, StopIsPromptEvenInTheMiddleOfASlowPacedReply) {
  StartScale(Paced());
  ASSERT_TRUE(port_.Open(scale_->SlavePath(), B1200));  // a 60-byte reply takes half a second
  port_.Write(RequestFrame(cmd::kReadPlu, PluRequest(1)));
  std::uint8_t ack = 0;
  ASSERT_TRUE(port_.ReadByte(&ack, 1000));  // the paced reply has begun
  const auto start = std::chrono::steady_clock::now();
  scale_->Stop();
  EXPECT_LT(Seconds(std::chrono::steady_clock::now() - start), 0.1);
  // Idle stop as well.
  VirtualScale idle;
  ASSERT_TRUE(idle.Start());
  const auto idle_start = std::chrono::steady_clock::now();
  idle.Stop();
  EXPECT_LT(Seconds(std::chrono::steady_clock::now() - idle_start), 0.1);
}

TEST(VirtualScaleTiming, RunStopsPromptly) {
  VirtualScale scale;
  ASSERT_TRUE(scale.Open());
  std::thread server([&] { scale.Run(); });
  PcPort port;
  ASSERT_TRUE(port.Open(scale.SlavePath()));
  EXPECT_TRUE(Transact(port, cmd::kIdentify).checksum_ok);
  const auto start = std::chrono::steady_clock::now();
  scale.Stop();
  server.join();
  EXPECT_LT(Seconds(std::chrono::steady_clock::now() - start), 0.1);
}

}  // namespace
}  // namespace keldaro::sim
