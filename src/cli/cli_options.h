// The command line of keldaro-cli: global options, then a verb and its arguments.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace keldaro::cli {

struct CliOptions {
  std::string port = "COM1";  // "COMn" or a device path
  int baud = 9600;
  bool trace = false;
  std::vector<std::string> verb;  // the verb and everything after it
};

// Parses argv; on bad usage returns nothing and puts the reason in `error`.
std::optional<CliOptions> ParseCliOptions(const std::vector<std::string>& args, std::string& error);

// "COM3" -> 3; anything else (a device path) -> 0.
int ComPortNumber(const std::string& port);

extern const char* const kUsage;

}  // namespace keldaro::cli
