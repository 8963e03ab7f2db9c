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
  int timeout_ms = 1100;  // how long each byte of an answer is waited for
};

// Registers --port, --baud, --timeout and --trace on `app`, filling `options`.
void AddGlobalOptions(CLI::App& app, CliOptions& options);

// "COM3" -> 3; anything else (a device path) -> 0.
int ComPortNumber(const std::string& port);

}  // namespace keldaro::cli
