// The options every verb of keldaro-cli shares: where the scale is and whether to trace the line.
#pragma once

#include <string>
#include <vector>

#include "link/port_name.h"

namespace CLI {
class App;
}

namespace keldaro::cli {

struct CliOptions {
  std::string port = "COM1";       // the port of this run: "COMn" or a device path
  std::vector<std::string> ports;  // every --port given, in order
  int baud = 9600;
  bool trace = false;
  int timeout_ms = 1100;  // how long each byte of an answer is waited for
};

// Registers --port, --baud, --timeout and --trace on `app`, filling `options`. After the parse
// `port` is the first --port given, or COM1.
void AddGlobalOptions(CLI::App& app, CliOptions& options);

// The port a --port value names. The option refuses every value that names none, so after the
// parse every port of CliOptions has one.
PortName PortNamed(const std::string& port);

}  // namespace keldaro::cli
