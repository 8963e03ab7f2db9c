// One parse of keldaro-cli's command line: the program's options, its verbs and the slot where
// the chosen verb leaves its run. A run on several ports parses the line once for each port,
// so that every port has verbs of its own and nothing is shared between their threads.
#pragma once

#include <CLI/CLI.hpp>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/verb.h"

namespace keldaro::cli {

class CommandLine {
 public:
  CommandLine(std::ostream& out, std::ostream& err);
  CommandLine(const CommandLine&) = delete;
  CommandLine& operator=(const CommandLine&) = delete;

  // Parses `args` (without the program name). Nothing when a verb is ready to run; otherwise the
  // exit code (--help and --version are done, a bad command line has been reported).
  std::optional<int> Parse(const std::vector<std::string>& args);

  CliOptions options;
  VerbContext context;

 private:
  CLI::App app_;
};

}  // namespace keldaro::cli
