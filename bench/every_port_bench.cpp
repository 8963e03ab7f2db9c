// keldaro-cli plu write to three virtual scales at once, each paced at 9600 baud, beside the
// same write to one: the ports run side by side, so the ratio of the two times should stay near
// 1 (target: under 1.2). Run from a release build: build-release/bench/every_port_bench
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
constexpr int kRecords = 40;

std::string WriteTable() {
  const std::string path = "/tmp/keldaro-every-port-bench.txt";
  std::ofstream file(path, std::ios::binary);
  for (int n = 1; n <= kRecords; ++n) {
    file << n << '\t' << 100 + n << '\t' << 1000 + n << "\t1\t1\t0\t0\t0\tURUN " << n << "\t5\r\n";
  }
  return path;
}

// Seconds for `plu write` to the first `count` scales; -1 when it failed.
double TimeWrite(const std::vector<std::unique_ptr<keldaro::sim::VirtualScale>>& scales,
                 std::size_t count, const std::string& table) {
  std::vector<std::string> args = {"--baud", "9600"};
  for (std::size_t i = 0; i < count; ++i) {
    args.insert(args.end(), {"--port", scales[i]->SlavePath()});
  }
  args.insert(args.end(), {"plu", "write", table});
  std::ostringstream out, err;
  const auto start = Clock::now();
  const int exit_code = keldaro::cli::RunCli(args, out, err);
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  if (exit_code != 0) {
    std::fprintf(stderr, "plu write failed (exit %d):\n%s%s", exit_code, out.str().c_str(),
                 err.str().c_str());
    return -1;
  }
  return seconds;
}

}  // namespace

int main() {
  std::vector<std::unique_ptr<keldaro::sim::VirtualScale>> scales;
  for (int i = 0; i < 3; ++i) {
    keldaro::sim::ScaleOptions options;
    options.faults.pace = true;
    scales.push_back(std::make_unique<keldaro::sim::VirtualScale>(options));
    if (!scales.back()->Start()) return 1;
  }
  const std::string table = WriteTable();
  const double one = TimeWrite(scales, 1, table);
  const double three = TimeWrite(scales, 3, table);
  if (one <= 0 || three <= 0) return 1;
  std::printf(
      "plu write of %d records at 9600 baud, paced: one scale %.3f s, three scales at once "
      "%.3f s, ratio %.3f (target under 1.2)\n",
      kRecords, one, three, three / one);
  return three / one < 1.2 ? 0 : 1;
}
