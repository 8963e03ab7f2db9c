// keldaro-cli fleet push of a 50-record price change to 50 virtual scales paced at 9600 baud,
// against the same push to one scale: the scales run side by side, so the ratio of the two
// times should stay near 1 (target at most 1.2). And the bytes on the wire of that push against
// a full plu write of the same 1,801-record table (target: at least 30 times fewer).
// Run from a release build: build-release/bench/fleet_bench
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_verbs.h"
#include "sim/virtual_scale.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kFleet = 50;
constexpr int kChanged = 50;  // records 100 to 149 get a new price
constexpr int kFirstChanged = 100;
constexpr int kLastPlu = 1800;

// The table PLU 0 to 1800; the changed prices are one lira up.
std::string WriteTable(const QTemporaryDir& dir, const char* name, bool changed) {
  const std::string path = dir.filePath(QString::fromLatin1(name)).toStdString();
  std::ofstream file(path, std::ios::binary);
  for (int n = 0; n <= kLastPlu; ++n) {
    const bool up = changed && n >= kFirstChanged && n < kFirstChanged + kChanged;
    file << n << '\t' << 100 + n % 500 + (up ? 1 : 0) << '\t' << 1000 + n
         << "\t1\t1\t0\t0\t0\tURUN " << n << "\t5\r\n";
  }
  return path;
}

// Runs keldaro-cli with `args`; seconds taken, or -1 (with its output on stderr) when it failed.
double TimeCli(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const auto start = Clock::now();
  const int exit_code = keldaro::cli::RunCli(args, out, err);
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  if (exit_code != 0) {
    std::fprintf(stderr, "%s failed (exit %d):\n%s%s", args.front().c_str(), exit_code,
                 out.str().c_str(), err.str().c_str());
    return -1;
  }
  return seconds;
}

void SetPaced(keldaro::sim::VirtualScale& scale, bool paced) {
  keldaro::sim::FaultOptions faults;
  faults.pace = paced;
  scale.SetFaults(faults);
}

}  // namespace

int main() {
  QTemporaryDir dir;
  const std::string db = dir.filePath(QStringLiteral("fleet.sqlite")).toStdString();
  // Scale 0 is pushed to alone, scales 1 to 50 together.
  std::vector<std::unique_ptr<keldaro::sim::VirtualScale>> scales;
  for (int i = 0; i <= kFleet; ++i) {
    scales.push_back(std::make_unique<keldaro::sim::VirtualScale>());
    if (!scales.back()->Start()) return 1;
    const std::string group = i == 0 ? "one" : "fifty";
    if (TimeCli({"fleet", "add", "s" + std::to_string(i), "--port", scales.back()->SlavePath(),
                 "--group", group, "--db", db}) < 0) {
      return 1;
    }
  }
  const std::string table = WriteTable(dir, "table.txt", false);
  const std::string changed = WriteTable(dir, "changed.txt", true);

  // Every scale holds the table (sent unpaced, to save time): the change is all that differs.
  if (TimeCli({"fleet", "push", table, "--db", db}) < 0) return 1;
  for (const auto& scale : scales) {
    SetPaced(*scale, true);
    scale->ClearLog();
  }
  const double one = TimeCli({"fleet", "push", changed, "--group", "one", "--db", db});
  const std::uint64_t push_bytes = scales[0]->WireBytes();
  const double fifty = TimeCli({"fleet", "push", changed, "--group", "fifty", "--db", db});
  if (one < 0 || fifty < 0) return 1;

  SetPaced(*scales[0], false);
  scales[0]->ClearLog();
  if (TimeCli({"--port", scales[0]->SlavePath(), "plu", "write", changed}) < 0) return 1;
  const std::uint64_t full_bytes = scales[0]->WireBytes();

  std::printf("fleet push of a %d-record change at 9600 baud, paced:\n", kChanged);
  std::printf("  to one scale:             %.3f s\n", one);
  std::printf("  to %d scales at once:     %.3f s\n", kFleet, fifty);
  std::printf("  ratio %d / one: %.3f (target at most 1.2)\n", kFleet, fifty / one);
  std::printf("bytes on the wire, one scale: push %llu, full plu write of %d records %llu\n",
              static_cast<unsigned long long>(push_bytes), kLastPlu + 1,
              static_cast<unsigned long long>(full_bytes));
  std::printf("  full write / push: %.1f times (target at least 30)\n",
              static_cast<double>(full_bytes) / static_cast<double>(push_bytes));
  return 0;
}
