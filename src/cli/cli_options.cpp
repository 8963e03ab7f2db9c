#include "cli/cli_options.h"

#include <CLI/CLI.hpp>
#include <limits>

#include "core/integer_text.h"
#include "link/serial_port.h"

namespace keldaro::cli {

void AddGlobalOptions(CLI::App& app, CliOptions& options) {
  app.add_option("--port", options.ports,
                 "COMn or a device path (default COM1); given more than once, the verb runs on "
                 "every port at the same time")
      ->type_name("COMn|PATH")
      ->allow_extra_args(false);
  app.add_option("--baud", options.baud, "line speed")
      ->type_name("N")
      ->check(
          [](const std::string& text) -> std::string {
            const auto baud = ParseInteger(text);
            if (baud && *baud > 0 && *baud <= std::numeric_limits<int>::max()) return {};
            return "needs a positive whole number, not '" + text + "'";
          },
          "POSITIVE")
      ->capture_default_str();
  app.add_option("--timeout", options.timeout_ms,
                 "how long each byte of the scale's answer is waited for, in ms (three tries)")
      ->type_name("MS")
      ->check(CLI::Range(10, 60000))
      ->capture_default_str();
  app.add_flag("--trace", options.trace, "show every byte on the line on stderr");
}

int ComPortNumber(const std::string& port) {
  if (port.size() <= 3 || port.compare(0, 3, "COM") != 0) return 0;
  const auto number = ParseInteger(std::string_view(port).substr(3));
  return number && *number > 0 && *number <= std::numeric_limits<int>::max()
             ? static_cast<int>(*number)
             : 0;
}

}  // namespace keldaro::cli

namespace keldaro::cli {

std::string PortDevice(const std::string& port) {
  const int com = ComPortNumber(port);
  return com > 0 ? ComPortDevice(com) : port;
}

}  // namespace keldaro::cli
