#include "cli/cli_options.h"

#include <charconv>

namespace keldaro::cli {

const char* const kUsage =
    "usage: keldaro-cli [--port COMn|PATH] [--baud N] [--trace] VERB ...\n"
    "  identify                               show the scale's identity and status\n"
    "  raw CODE [HEX ...]                     run command CODE with payload bytes, print reply\n"
    "  plu read [--first N] [--last M] [--out FILE]\n"
    "                                         read PLU 0, 1800 and N..M into a PLU text file\n"
    "  plu write FILE [--first N] [--last M]  send a PLU text file to the scale\n"
    "defaults: --port COM1 --baud 9600, PLU range 1 to 1799;\n"
    "COMn is the device in $KELDARO_COMn, else /dev/ttyS<n-1>\n";

namespace {

bool ToInt(const std::string& text, int& value) {
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  return ec == std::errc() && ptr == end && !text.empty();
}

}  // namespace

int ComPortNumber(const std::string& port) {
  int n = 0;
  if (port.size() > 3 && port.compare(0, 3, "COM") == 0 && ToInt(port.substr(3), n)) return n;
  return 0;
}

std::optional<CliOptions> ParseCliOptions(const std::vector<std::string>& args,
                                          std::string& error) {
  CliOptions options;
  std::size_t i = 0;
  for (; i < args.size() && args[i].rfind("--", 0) == 0; ++i) {
    const std::string& flag = args[i];
    if (flag == "--trace") {
      options.trace = true;
    } else if (flag == "--port" || flag == "--baud") {
      if (i + 1 >= args.size()) {
        error = flag + " needs a value";
        return std::nullopt;
      }
      const std::string& value = args[++i];
      if (flag == "--port") {
        options.port = value;
      } else if (!ToInt(value, options.baud) || options.baud <= 0) {
        error = "--baud needs a positive whole number, not '" + value + "'";
        return std::nullopt;
      }
    } else {
      error = "unknown option " + flag;
      return std::nullopt;
    }
  }
  options.verb.assign(args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
  if (options.verb.empty()) {
    error = "no verb given";
    return std::nullopt;
  }
  return options;
}

}  // namespace keldaro::cli
