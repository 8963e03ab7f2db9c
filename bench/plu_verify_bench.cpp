// Records wrong after a PLU read over a faulty line, without and with verification: the virtual
// scale drops bytes, flips bits, or both, at one rate over three seeds. Each run is compared cell
// by cell with a clean read of the same table; the PC's NAKs count the replies it refused.
// Usage: plu_verify_bench [RATE [LAST]]   (defaults 1e-3 and 1799: the full table)
#include <QLocale>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench_support.h"
#include "link/scale_session.h"
#include "link/wire.h"
#include "plu/plu_sheet.h"
#include "plu/plu_transfer.h"
#include "sim/virtual_scale.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Outcome {
  bool ok = false;
  int wrong_rows = 0;
  int refused = 0;
  double seconds = 0;
};

Outcome Read(const keldaro::sim::FaultOptions& faults, keldaro::plu::PluRange range, bool verify,
             keldaro::plu::PluSheet& sheet, const keldaro::plu::PluSheet* clean) {
  Outcome outcome;
  keldaro::bench::ScaleOnPty link(/*paced=*/false);
  if (!link.Connect(115200)) return outcome;
  keldaro::ScaleSession& session = link.session();
  // A NAK is the only single byte the PC sends on its own: one per refused reply.
  session.SetLineTap([&](keldaro::LineDirection d, const std::uint8_t* bytes, std::size_t count) {
    if (d == keldaro::LineDirection::kSent && count == 1 && bytes[0] == keldaro::wire::kNak) {
      ++outcome.refused;
    }
  });
  link.scale().SetFaults(faults);
  keldaro::transfer::SilentProgress progress;
  const auto start = Clock::now();
  outcome.ok = keldaro::plu::ReadRange(session, sheet, range, progress,
                                       QLocale::system().decimalPoint().at(0), verify)
                   .ok;
  outcome.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  if (clean) {
    for (int row = keldaro::plu::kFirstRecordRow; row <= keldaro::plu::kLastRecordRow; ++row) {
      for (int column = 0; column < keldaro::plu::kColumnCount; ++column) {
        if (sheet.Cell(row, column) != clean->Cell(row, column)) {
          ++outcome.wrong_rows;
          break;
        }
      }
    }
  }
  return outcome;
}

}  // namespace

int main(int argc, char** argv) {
  const double rate = argc > 1 ? std::atof(argv[1]) : 1e-3;
  const keldaro::plu::PluRange range{1, argc > 2 ? std::atoi(argv[2]) : 1799};
  keldaro::plu::PluSheet clean;
  const Outcome reference = Read({}, range, false, clean, nullptr);
  if (!reference.ok) return 1;
  std::printf("PLUs 0, 1800 and %d..%d at 115200 baud, fault rate %g per byte\n", range.first,
              range.last, rate);
  std::printf("clean read: %.2f s\n", reference.seconds);
  std::printf("%-6s %4s %-7s %5s %6s %8s %8s %s\n", "fault", "seed", "verify", "wrong", "NAKs",
              "seconds", "x clean", "run");
  for (const char* kind : {"drops", "bits", "both"}) {
    for (std::uint32_t seed = 1; seed <= 3; ++seed) {
      for (bool verify : {false, true}) {
        keldaro::sim::FaultOptions faults;
        faults.seed = seed;
        if (std::string(kind) != "bits") faults.drop_rate = rate;
        if (std::string(kind) != "drops") faults.bit_error_rate = rate;
        keldaro::plu::PluSheet sheet;
        const Outcome o = Read(faults, range, verify, sheet, &clean);
        std::printf("%-6s %4u %-7s %5d %6d %8.2f %8.2f %s\n", kind, seed, verify ? "yes" : "no",
                    o.wrong_rows, o.refused, o.seconds, o.seconds / reference.seconds,
                    o.ok ? "ok" : "FAILED");
        std::fflush(stdout);
      }
    }
  }
  return 0;
}
