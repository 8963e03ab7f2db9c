// Link throughput over pseudo-terminals, as ratios measured in one run:
//  1. transactions per second against the unpaced virtual scale, beside a bare one-byte
//     ping-pong over the same kind of pty (the floor any request/reply pays);
//  2. a full 1801-record PLU read with the virtual scale paced at 115200 baud, against the
//     wire-time limit: bytes on the line x 10 bits / baud.
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include "bench_support.h"
#include "link/commands.h"
#include "link/scale_session.h"
#include "link/serial_port.h"
#include "plu/plu_record.h"
#include "sim/virtual_scale.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

// Round trips per second of one byte each way: an echo thread on the master, the PC's own
// serial port on the slave.
double PingPongPerSecond(int rounds) {
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  grantpt(master);
  unlockpt(master);
  keldaro::SerialPort port;
  if (!port.Open(ptsname(master), 115200)) return 0;
  std::atomic<bool> stop{false};
  std::thread echo([&] {
    std::uint8_t b;
    while (!stop) {
      pollfd p{master, POLLIN, 0};
      if (poll(&p, 1, 50) > 0 && read(master, &b, 1) == 1) (void)!write(master, &b, 1);
    }
  });
  const auto start = Clock::now();
  for (int i = 0; i < rounds; ++i) {
    port.WriteByte(static_cast<std::uint8_t>(i));
    port.ReadByte();
  }
  const double elapsed = Seconds(start);
  stop = true;
  echo.join();
  port.Close();
  close(master);
  return rounds / elapsed;
}

double TransactionsPerSecond(int rounds) {
  keldaro::bench::ScaleOnPty link(/*paced=*/false);
  if (!link.Connect(115200)) return 0;
  keldaro::ScaleSession& session = link.session();
  const auto start = Clock::now();
  for (int i = 0; i < rounds; ++i) {
    keldaro::Packet& packet = session.packet();
    packet.Clear();
    packet.PushBytes(keldaro::plu::EncodePluRead(i % 1801));
    if (!session.ExecuteCommand(keldaro::cmd::kReadPlu)) return 0;
  }
  return rounds / Seconds(start);
}

}  // namespace

int main() {
  const double ping = PingPongPerSecond(20000);
  const double transactions = TransactionsPerSecond(5000);
  std::printf("pty one-byte ping-pong:          %9.0f round trips/s\n", ping);
  std::printf("PLU read transactions, unpaced:  %9.0f transactions/s\n", transactions);
  std::printf("ratio transaction / ping-pong:   %9.3f\n", ping > 0 ? transactions / ping : 0);

  keldaro::bench::ScaleOnPty link(/*paced=*/true);
  if (!link.Connect(115200)) return 1;
  keldaro::ScaleSession& session = link.session();
  std::size_t bytes_on_line = 0;
  session.SetLineTap(
      [&](keldaro::LineDirection, const std::uint8_t*, std::size_t n) { bytes_on_line += n; });
  const auto start = Clock::now();
  const bool ok = keldaro::bench::ReadWholeTable(session);
  const double elapsed = Seconds(start);
  const double wire_limit = bytes_on_line * 10.0 / 115200.0;
  std::printf("paced 1801-record PLU read at 115200 baud: %s\n", ok ? "complete" : "FAILED");
  std::printf("  bytes on the line: %zu, wire-time limit %.3f s, measured %.3f s\n", bytes_on_line,
              wire_limit, elapsed);
  std::printf("  ratio measured / wire limit: %.4f\n", elapsed / wire_limit);
  return ok ? 0 : 1;
}
