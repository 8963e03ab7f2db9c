// Two programs over a virtual scale whose 1801 PLU slots all hold a record.
//
// Damage (the default): ten full `plu read`s and ten `backup`s of keldaro-cli, without --verify,
// damaging about one byte in a thousand (bit errors and drops, a new seed each run), each compared
// record by record with the same read over a clean line. The figure to watch is "wrong records",
// which must be 0 in every run; a run may instead fail with "Comunication Error!" when a record
// read before the line showed damage is not confirmed later.
//
// Paced ("paced"): full `plu read`s at 115200 baud with the scale holding every byte to the line
// speed and the program's own 1100 ms time-out, losing one reply byte in a thousand (a new seed
// each run), timed against the same read over a clean line and compared with it record by record.
// The figures are the ratio noisy / clean and, again, the wrong records; beside them the clean
// read with --verify, the floor under a damaged read (see RunPaced).
//
// Run: build/bench/noisy_line_bench [runs]   or   build/bench/noisy_line_bench paced [runs]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "bench_support.h"
#include "cli/cli_verbs.h"
#include "sim/virtual_scale.h"

namespace {

namespace fs = std::filesystem;

constexpr double kDamageRate = 0.0005;  // bit errors and drops each, per byte
constexpr double kPacedDropRate = 0.001;
constexpr int kPacedBaud = 115200;

struct Result {
  int exit_code = 0;
  std::string err;
};

Result RunCli(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const int code = keldaro::cli::RunCli(args, out, err);
  return {code, err.str()};
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// The lines of `text` after its first (a PLU file's creation time, which differs run to run).
std::vector<std::string> RecordLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  std::getline(in, line);
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

// Lines of `got` that differ from `clean`, a line missing or extra counted as differing.
int WrongLines(const std::vector<std::string>& clean, const std::vector<std::string>& got) {
  int wrong = 0;
  for (std::size_t i = 0; i < std::max(clean.size(), got.size()); ++i) {
    wrong += i >= clean.size() || i >= got.size() || clean[i] != got[i] ? 1 : 0;
  }
  return wrong;
}

// The last line the run wrote on stderr.
std::string LastLine(const std::string& err) {
  const std::vector<std::string> lines = RecordLines("\n" + err);
  return lines.empty() ? std::string() : lines.back();
}

// A backup's records: the PLU lines, then the settings and report files line by line.
std::vector<std::string> BackupLines(const std::string& dir) {
  std::vector<std::string> lines = RecordLines(ReadFile(dir + "/plu.txt"));
  for (const char* name : {"/settings.json", "/report.json"}) {
    const std::vector<std::string> more = RecordLines("\n" + ReadFile(dir + name));
    lines.insert(lines.end(), more.begin(), more.end());
  }
  return lines;
}

// Bit errors and drops, unpaced, with a short time-out; read and backup. Returns the exit code.
int RunDamaged(keldaro::sim::VirtualScale& scale, const std::string& tmp, int runs) {
  // A byte lost costs a time-out; the program's own 1100 ms would make each run minutes long.
  const std::vector<std::string> port = {"--port", scale.SlavePath(), "--timeout", "100"};
  const auto with_port = [&](std::vector<std::string> args) {
    args.insert(args.begin(), port.begin(), port.end());
    return args;
  };

  if (RunCli(with_port({"plu", "read", "--out", tmp + "/clean.txt"})).exit_code != 0 ||
      RunCli(with_port({"backup", tmp + "/clean"})).exit_code != 0) {
    std::fprintf(stderr, "the clean reads failed\n");
    return 1;
  }
  const std::vector<std::string> clean_table = RecordLines(ReadFile(tmp + "/clean.txt"));
  const std::vector<std::string> clean_backup = BackupLines(tmp + "/clean");
  const std::size_t clean_requests = scale.Requests().size();  // both clean runs

  std::printf("bit errors %g and drops %g per byte; %zu PLU lines, %zu backup lines\n", kDamageRate,
              kDamageRate, clean_table.size(), clean_backup.size());
  std::printf("requests of the clean read and backup together: %zu\n", clean_requests);
  std::printf("%-7s %5s %5s %13s %9s  %s\n", "run", "seed", "exit", "wrong records", "requests",
              "last line");
  int wrong_total = 0;
  int failed_runs = 0;
  for (int seed = 1; seed <= runs; ++seed) {
    keldaro::sim::FaultOptions faults;
    faults.bit_error_rate = kDamageRate;
    faults.drop_rate = kDamageRate;
    faults.seed = static_cast<std::uint32_t>(seed);
    for (const bool backup : {false, true}) {
      scale.SetFaults(faults);
      scale.ClearLog();
      const std::string target = tmp + "/" + (backup ? "backup-" : "read-") + std::to_string(seed);
      const Result r = RunCli(
          with_port(backup ? std::vector<std::string>{"backup", target}
                           : std::vector<std::string>{"plu", "read", "--out", target + ".txt"}));
      int wrong = 0;
      if (r.exit_code == 0) {
        wrong = backup ? WrongLines(clean_backup, BackupLines(target))
                       : WrongLines(clean_table, RecordLines(ReadFile(target + ".txt")));
      } else {
        ++failed_runs;
      }
      wrong_total += wrong;
      std::printf("%-7s %5d %5d %13d %9zu  %s\n", backup ? "backup" : "read", seed, r.exit_code,
                  wrong, scale.Requests().size(), LastLine(r.err).c_str());
      std::fflush(stdout);
    }
  }
  std::printf("wrong records in all runs: %d; runs that failed: %d of %d\n", wrong_total,
              failed_runs, 2 * runs);
  return wrong_total == 0 ? 0 : 1;
}

double SecondsOf(const std::function<void()>& run) {
  const auto start = std::chrono::steady_clock::now();
  run();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Paced at 115200 baud with the program's own time-out; drops only, read only, timed against the
// clean paced read. Returns the exit code.
int RunPaced(keldaro::sim::VirtualScale& scale, const std::string& tmp, int runs) {
  const std::vector<std::string> port = {"--port", scale.SlavePath(), "--baud",
                                         std::to_string(kPacedBaud)};
  const auto read_into = [&](const std::string& file, bool verify = false) {
    std::vector<std::string> args = port;
    for (const char* word : {"plu", "read", "--out"}) args.emplace_back(word);
    args.push_back(file);
    if (verify) args.emplace_back("--verify");
    return RunCli(args);
  };
  keldaro::sim::FaultOptions faults;
  faults.pace = true;
  scale.SetFaults(faults);
  Result clean;
  const double clean_seconds = SecondsOf([&] { clean = read_into(tmp + "/clean.txt"); });
  if (clean.exit_code != 0) {
    std::fprintf(stderr, "the clean paced read failed: %s\n", LastLine(clean.err).c_str());
    return 1;
  }
  const std::vector<std::string> clean_table = RecordLines(ReadFile(tmp + "/clean.txt"));
  std::printf("paced at %d baud, %g of the scale's bytes dropped; %zu PLU lines\n", kPacedBaud,
              kPacedDropRate, clean_table.size());
  std::printf("clean paced read: %.3f s\n", clean_seconds);
  // Once a run has seen damage every later record is read until two copies agree, as --verify
  // does from the first: the floor under the ratio of a damaged read.
  const double twice_seconds = SecondsOf([&] { read_into(tmp + "/twice.txt", true); });
  std::printf("clean paced read with --verify (every record read twice): %.3f s, ratio %.3f\n",
              twice_seconds, twice_seconds / clean_seconds);
  std::printf("%5s %5s %9s %7s %13s  %s\n", "seed", "exit", "seconds", "ratio", "wrong records",
              "last line");
  int wrong_total = 0;
  int failed_runs = 0;
  for (int seed = 1; seed <= runs; ++seed) {
    faults.drop_rate = kPacedDropRate;
    faults.seed = static_cast<std::uint32_t>(seed);
    scale.SetFaults(faults);
    const std::string target = tmp + "/paced-" + std::to_string(seed) + ".txt";
    Result r;
    const double seconds = SecondsOf([&] { r = read_into(target); });
    const int wrong = r.exit_code == 0 ? WrongLines(clean_table, RecordLines(ReadFile(target))) : 0;
    wrong_total += wrong;
    failed_runs += r.exit_code == 0 ? 0 : 1;
    std::printf("%5d %5d %9.3f %7.3f %13d  %s\n", seed, r.exit_code, seconds,
                seconds / clean_seconds, wrong, LastLine(r.err).c_str());
    std::fflush(stdout);
  }
  std::printf("wrong records in all runs: %d; runs that failed: %d of %d\n", wrong_total,
              failed_runs, runs);
  return wrong_total == 0 && failed_runs == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const bool paced = argc > 1 && std::string(argv[1]) == "paced";
  const int first_count = paced ? 2 : 1;
  const int runs = argc > first_count ? std::atoi(argv[first_count]) : (paced ? 3 : 10);
  keldaro::sim::VirtualScale scale;
  std::string error;
  if (!scale.Start(&error)) {
    std::fprintf(stderr, "virtual scale: %s\n", error.c_str());
    return 1;
  }
  keldaro::bench::FillEveryPlu(scale, [](int n) { return 99999 - n; });
  const std::string tmp = fs::temp_directory_path() / "keldaro-noisy-line-bench";
  fs::remove_all(tmp);
  fs::create_directories(tmp);
  const int code = paced ? RunPaced(scale, tmp, runs) : RunDamaged(scale, tmp, runs);
  fs::remove_all(tmp);
  return code;
}
