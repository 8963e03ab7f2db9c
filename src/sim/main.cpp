// keldaro-sim: the virtual scale for a shell. Prints the pseudo-terminal's slave path as its first
// line, serves until SIGINT or SIGTERM, then removes its link.
#include <signal.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "sim/cp1254_text.h"
#include "sim/virtual_scale.h"

namespace {

constexpr const char* kUsage =
    "Usage: keldaro-sim [options]\n"
    "A virtual KELDARO scale on a pseudo-terminal. Prints the terminal's path on the first line\n"
    "and serves until interrupted (SIGINT or SIGTERM).\n"
    "\n"
    "  --link PATH         place a symbolic link to the terminal at PATH (removed on exit;\n"
    "                      refused while another running keldaro-sim holds PATH)\n"
    "  --identity TEXT     identity text of command 1 (UTF-8, sent as Windows-1254)\n"
    "  --status HEX        status byte of every reply, e.g. 04 to open the SYSTEM tab\n"
    "  --empty             no sample data: every PLU slot empty, settings zero\n"
    "  --silent            never answer\n"
    "  --silent-after N    answer the first N requests, then never again\n"
    "  --nak-first N       answer the first N requests with NAK\n"
    "  --bad-checksum N    send the first N replies with a wrong checksum\n"
    "  --hidden-errors N   send the first N replies with two bit errors the checksum misses\n"
    "  --garbage HEX...    bytes sent after the ACK before every reply frame (e.g. 00 FF or 00FF)\n"
    "  --bit-errors RATE   chance per sent byte of one flipped bit (0 to 1)\n"
    "  --drop RATE         chance per sent byte of losing it (0 to 1)\n"
    "  --seed N            seed of the bit-error and drop draws (default 1)\n"
    "  --pace              hold every byte to the baud rate the PC opened the port with\n"
    "  --speed N           the scale's own line speed: a PC that opens the line at another\n"
    "                      speed hears garbled bytes, as a real UART would (default: any)\n"
    "  --help              show this text\n"
    "  --version           show the version\n";

[[noreturn]] void BadUsage(const std::string& why) {
  std::fprintf(stderr, "keldaro-sim: %s\n\n%s", why.c_str(), kUsage);
  std::exit(2);
}

bool ParseUnsigned(const std::string& text, unsigned long max, unsigned long* value, int base) {
  if (text.empty() || text[0] == '-' || text[0] == '+') return false;
  errno = 0;
  char* end = nullptr;
  const unsigned long v = std::strtoul(text.c_str(), &end, base);
  if (errno != 0 || end == text.c_str() || *end != '\0' || v > max) return false;
  *value = v;
  return true;
}

bool ParseRate(const std::string& text, double* value) {
  if (text.empty()) return false;
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);  // C locale: the point is the separator
  if (end == text.c_str() || *end != '\0' || !(v >= 0.0 && v <= 1.0)) return false;
  *value = v;
  return true;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// One argument of hex bytes: pairs of digits, optionally separated by ':' or ','.
bool ParseHexBytes(std::string_view text, std::vector<std::uint8_t>* bytes) {
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
    text.remove_prefix(2);
  std::string digits;
  for (char c : text) {
    if (c == ':' || c == ',') continue;
    if (HexDigit(c) < 0) return false;
    digits.push_back(c);
  }
  if (digits.empty() || digits.size() % 2 != 0) return false;
  for (std::size_t i = 0; i < digits.size(); i += 2) {
    bytes->push_back(static_cast<std::uint8_t>(HexDigit(digits[i]) * 16 + HexDigit(digits[i + 1])));
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  keldaro::sim::ScaleOptions options;
  std::vector<std::string> args(argv + 1, argv + argc);
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string arg = args[i];
    std::string inline_value;
    bool has_inline = false;
    if (arg.rfind("--", 0) == 0) {
      const std::size_t eq = arg.find('=');
      if (eq != std::string::npos) {
        inline_value = arg.substr(eq + 1);
        arg = arg.substr(0, eq);
        has_inline = true;
      }
    }
    auto value = [&]() -> std::string {
      if (has_inline) return inline_value;
      if (i + 1 >= args.size()) BadUsage(arg + " needs a value");
      return args[++i];
    };
    auto no_value = [&] {
      if (has_inline) BadUsage(arg + " takes no value");
    };
    unsigned long number = 0;
    if (arg == "--help" || arg == "-h") {
      no_value();
      std::fputs(kUsage, stdout);
      return 0;
    } else if (arg == "--version") {
      no_value();
      std::printf("keldaro-sim %s\n", KELDARO_VERSION);
      return 0;
    } else if (arg == "--link") {
      options.link_path = value();
      if (options.link_path.empty()) BadUsage("--link needs a path");
    } else if (arg == "--identity") {
      options.identity = keldaro::sim::Utf8ToCp1254(value());
    } else if (arg == "--status") {
      std::string text = value();
      if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text = text.substr(2);
      if (!ParseUnsigned(text, 0xFF, &number, 16)) BadUsage("--status needs a hex byte, e.g. 04");
      options.status = static_cast<std::uint8_t>(number);
    } else if (arg == "--empty") {
      no_value();
      options.sample_data = false;
    } else if (arg == "--silent") {
      no_value();
      options.faults.silent = true;
    } else if (arg == "--silent-after") {
      if (!ParseUnsigned(value(), 1'000'000'000, &number, 10))
        BadUsage("--silent-after needs a count");
      options.faults.silent_after = static_cast<int>(number);
    } else if (arg == "--nak-first") {
      if (!ParseUnsigned(value(), 1'000'000'000, &number, 10))
        BadUsage("--nak-first needs a count");
      options.faults.nak_first = static_cast<int>(number);
    } else if (arg == "--hidden-errors") {
      if (!ParseUnsigned(value(), 1'000'000'000, &number, 10))
        BadUsage("--hidden-errors needs a count");
      options.faults.hidden_errors = static_cast<int>(number);
    } else if (arg == "--bad-checksum") {
      if (!ParseUnsigned(value(), 1'000'000'000, &number, 10))
        BadUsage("--bad-checksum needs a count");
      options.faults.bad_checksum = static_cast<int>(number);
    } else if (arg == "--garbage") {
      options.faults.garbage.clear();
      if (has_inline) {
        if (!ParseHexBytes(inline_value, &options.faults.garbage))
          BadUsage("--garbage needs hex bytes");
      } else {
        while (i + 1 < args.size() && args[i + 1].rfind("--", 0) != 0) {
          if (!ParseHexBytes(args[i + 1], &options.faults.garbage)) {
            BadUsage("--garbage: '" + args[i + 1] + "' is not hex bytes");
          }
          ++i;
        }
        if (options.faults.garbage.empty()) BadUsage("--garbage needs hex bytes");
      }
    } else if (arg == "--bit-errors") {
      if (!ParseRate(value(), &options.faults.bit_error_rate))
        BadUsage("--bit-errors needs a rate from 0 to 1");
    } else if (arg == "--drop") {
      if (!ParseRate(value(), &options.faults.drop_rate))
        BadUsage("--drop needs a rate from 0 to 1");
    } else if (arg == "--seed") {
      if (!ParseUnsigned(value(), 0xFFFFFFFFul, &number, 10)) BadUsage("--seed needs a number");
      options.faults.seed = static_cast<std::uint32_t>(number);
    } else if (arg == "--speed") {
      if (!ParseUnsigned(value(), 4'000'000, &number, 10) || number == 0)
        BadUsage("--speed needs a line speed, e.g. 19200");
      options.speed = static_cast<long>(number);
    } else if (arg == "--pace") {
      no_value();
      options.faults.pace = true;
    } else {
      BadUsage("unknown argument '" + arg + "'");
    }
  }

  // The signals are taken with sigwait on this thread; the serving thread inherits the mask.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  signal(SIGPIPE, SIG_IGN);

  keldaro::sim::VirtualScale scale(options);
  std::string error;
  if (!scale.Start(&error)) {
    std::fprintf(stderr, "keldaro-sim: %s\n", error.c_str());
    return 1;
  }
  std::printf("%s\n", scale.SlavePath().c_str());
  std::fflush(stdout);
  if (!options.link_path.empty()) {
    std::fprintf(stderr, "keldaro-sim: %s -> %s\n", options.link_path.c_str(),
                 scale.SlavePath().c_str());
  }

  int received = 0;
  sigwait(&signals, &received);
  scale.Stop();
  return 0;
}
