// Settings load and send against the virtual scale paced at 9600 baud: how close each chain of
// 54 commands comes to the time its bytes take on the wire (bytes x 10 bits / baud). Run from a
// release build: build-release/bench/settings_bench
#include <chrono>
#include <cstdio>

#include "bench_support.h"
#include "link/scale_session.h"
#include "settings/settings_transfer.h"
#include "sim/virtual_scale.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kBaud = 9600;

struct Measured {
  bool ok;
  double seconds;
  std::size_t bytes;
};

template <typename Run>
Measured Measure(keldaro::ScaleSession& session, Run run) {
  std::size_t bytes = 0;
  session.SetLineTap(
      [&](keldaro::LineDirection, const std::uint8_t*, std::size_t n) { bytes += n; });
  const auto start = Clock::now();
  const bool ok = run();
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  session.SetLineTap({});
  return {ok, seconds, bytes};
}

void Report(const char* what, const Measured& m) {
  const double limit = m.bytes * 10.0 / kBaud;
  std::printf(
      "%s at %d baud: %s, %zu bytes on the line, wire-time limit %.3f s, measured %.3f s, "
      "ratio %.4f\n",
      what, kBaud, m.ok ? "complete" : "FAILED", m.bytes, limit, m.seconds, m.seconds / limit);
}

}  // namespace

int main() {
  keldaro::bench::ScaleOnPty link(/*paced=*/true);
  if (!link.Connect(kBaud)) return 1;
  keldaro::ScaleSession& session = link.session();

  keldaro::settings::SettingsRecord record;
  keldaro::transfer::SilentProgress quiet;
  const Measured load =
      Measure(session, [&] { return keldaro::settings::LoadSettings(session, record, quiet).ok; });
  const Measured send =
      Measure(session, [&] { return keldaro::settings::SendSettings(session, record, quiet).ok; });
  Report("settings load (54 commands)", load);
  Report("settings send (54 commands)", send);
  return load.ok && send.ok ? 0 : 1;
}
