#include "cli/cli_options.h"

#include <CLI/CLI.hpp>
#include <limits>

#include "core/integer_text.h"
#include "link/link_failure.h"
#include "link/port_name.h"

namespace keldaro::cli {

void AddGlobalOptions(CLI::App& app, CliOptions& options) {
  app.add_option("--port", options.ports,
                 "COMn, a device path, socket://HOST:PORT or rfc2217://HOST:PORT (default COM1); "
                 "given more than once, the verb runs on "
                 "every port at the same time")
      ->type_name("COMn|PATH|URL")
      ->check(
          [](const std::string& text) {
            std::string error;
            return PortName::Parse(text, &error) ? std::string() : error;
          },
          // No description: the type name already says what a port is.
          "")
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
                 "how long each byte of the scale's answer is waited for, in ms (" +
                     SendsInWords() + " tries)")
      ->type_name("MS")
      ->check(CLI::Range(10, 60000))
      ->capture_default_str();
  app.add_flag("--trace", options.trace, "show every byte on the line on stderr");
}

PortName PortNamed(const std::string& port) { return PortName::Parse(port).value(); }

}  // namespace keldaro::cli
