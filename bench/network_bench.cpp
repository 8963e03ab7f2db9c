// A full paced PLU read at 115200 baud through ser2net over RFC 2217 (the scale's
// pseudo-terminal carried over 127.0.0.1), against the same read on the pseudo-terminal itself:
// the ratio of the two times is what the network line costs. Each is run three times; the best
// of each is set against the other.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "bench_support.h"
#include "support/ser2net_line.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kBaud = 115200;
constexpr int kRuns = 3;

// Seconds of a full read of the scale on `port` (its pseudo-terminal when empty); negative when
// the read failed.
double PacedRead(keldaro::sim::VirtualScale& scale, const std::string& port) {
  keldaro::bench::StderrNotifier notifier;
  keldaro::ScaleSession session(notifier);
  std::string identity;
  if (!session.Connect(keldaro::PortName::Parse(port.empty() ? scale.SlavePath() : port).value(),
                       kBaud, identity)) {
    return -1;
  }
  const auto start = Clock::now();
  const bool ok = keldaro::bench::ReadWholeTable(session);
  const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
  return ok && notifier.errors == 0 ? elapsed : -1;
}

}  // namespace

int main() {
  const std::unique_ptr<keldaro::sim::VirtualScale> scale = keldaro::bench::StartPacedScale();
  if (!scale) return 1;
  std::string error;
  keldaro::testing::Ser2netLine ser2net;
  if (!ser2net.Start(scale->SlavePath(), kBaud, &error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  double pty = 1e9;
  double network = 1e9;
  for (int run = 0; run < kRuns; ++run) {
    const double on_pty = PacedRead(*scale, "");
    const double over_rfc2217 = PacedRead(*scale, ser2net.Rfc2217Url());
    if (on_pty < 0 || over_rfc2217 < 0) {
      std::fprintf(stderr, "a read failed\n");
      return 1;
    }
    pty = std::min(pty, on_pty);
    network = std::min(network, over_rfc2217);
  }
  std::printf("paced 1801-record PLU read at %d baud, best of %d:\n", kBaud, kRuns);
  std::printf("  on the pseudo-terminal:        %.3f s\n", pty);
  std::printf("  through ser2net (rfc2217://):  %.3f s\n", network);
  std::printf("  ratio network / pseudo-terminal: %.4f (target at most 1.05)\n", network / pty);
  return 0;
}
