// keldaro-cli run in-process against the virtual scale on its pty: a verb's exit code and what
// it wrote to stdout and stderr.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_verbs.h"
#include "sim/virtual_scale.h"

namespace keldaro::cli {

struct CliRun {
  int exit_code;
  std::string out;
  std::string err;
};

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// The whole command line as given.
inline CliRun RunCliCaptured(const std::vector<std::string>& args,
                             std::ostream* out_stream = nullptr) {
  std::ostringstream out, err;
  const int code = RunCli(args, out_stream != nullptr ? *out_stream : out, err);
  return {code, out.str(), err.str()};
}

#ifdef KELDARO_CLI_PATH
// The real program started as a child process with `args` (the program's name not among
// them), for a test that signals or kills it; its process id.
inline pid_t StartCliProcess(std::vector<std::string> args) {
  args.insert(args.begin(), KELDARO_CLI_PATH);
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  const pid_t child = ::fork();
  if (child == 0) {
    ::execv(KELDARO_CLI_PATH, argv.data());
    ::_exit(127);
  }
  return child;
}
#endif

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(scale_.Start()); }

  // The command line with "--port <the scale>" in front; stdout goes to `out_stream` if given.
  CliRun Run(std::vector<std::string> args, std::ostream* out_stream = nullptr) {
    // A silent scale costs three waits for a byte; the program's own is 1100 ms.
    args.insert(args.begin(), {"--port", scale_.SlavePath(), "--timeout", "100"});
    return RunRaw(args, out_stream);
  }
  static CliRun RunRaw(const std::vector<std::string>& args, std::ostream* out_stream = nullptr) {
    return RunCliCaptured(args, out_stream);
  }
  int CountOf(std::uint8_t code) const {
    int n = 0;
    for (const auto& r : scale_.Requests()) n += r.code == code ? 1 : 0;
    return n;
  }
  std::string TempFile(const std::string& name, const std::string& content) {
    const std::string path = ::testing::TempDir() + name;
    std::ofstream(path, std::ios::binary) << content;
    return path;
  }

  sim::VirtualScale scale_;
};

}  // namespace keldaro::cli
