// The options every verb of keldaro-cli shares: where the scale is and whether to trace the line.
#pragma once

#include <string>

namespace CLI {
class App;
}

namespace keldaro::cli {

struct CliOptions {
  std::string port = "COM1";  // "COMn" or a device path
  int baud = 9600;
  bool trace = false;
};

// Registers --port, --baud and --trace on `app`, filling `options`.
void AddGlobalOptions(CLI::App& app, CliOptions& options);

// "COM3" -> 3; anything else (a device path) -> 0.
int ComPortNumber(const std::string& port);

}  // namespace keldaro::cli
