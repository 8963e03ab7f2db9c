// keldaro-sim: the virtual scale for a shell. Prints the pseudo-terminal's slave path as its first
// line, serves until SIGINT or SIGTERM, then removes its link.
#include <signal.h>

#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <optional>
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
    "  --no-ack N          send the first N replies without the ACK before them\n"
    "  --reply-pause MS    stop MS milliseconds in the middle of every reply frame (a copy\n"
    "                      sent again after a NAK comes whole)\n"
    "  --garbage HEX...    bytes sent after the ACK before every reply frame (e.g. 00 FF or 00FF)\n"
    "  --bit-errors RATE   chance per sent byte of one flipped bit (0 to 1)\n"
    "  --drop RATE         chance per sent byte of losing it (0 to 1)\n"
    "  --seed N            seed of the bit-error and drop draws (default 1)\n"
    "  --pace              hold every byte to the baud rate the PC opened the port with\n"
    "  --speed N           the scale's own line speed: a PC that opens the line at another\n"
    "                      speed hears garbled bytes, as a real UART would (default: any)\n"
    "  --help              show this text\n"
    "  --version           show the version\n";

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

std::string_view WithoutHexPrefix(std::string_view text) {
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
    text.remove_prefix(2);
  return text;
}

// One argument of hex bytes: pairs of digits, optionally separated by ':' or ','.
bool ParseHexBytes(std::string_view text, std::vector<std::uint8_t>* bytes) {
  std::string digits;
  for (char c : WithoutHexPrefix(text)) {
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

// An option whose value `parse` checks and stores; a value it refuses is bad usage with `need`.
template <typename Parse>
void AddCheckedOption(CLI::App& app, const std::string& name, const std::string& need,
                      Parse parse) {
  app.add_option_function<std::string>(name, [name, need, parse](const std::string& text) {
    if (!parse(text)) throw CLI::ValidationError(name, need);
  });
}

// A count of requests or replies for a fault option.
void AddCountOption(CLI::App& app, const std::string& name, int* count) {
  AddCheckedOption(app, name, "needs a count", [count](const std::string& text) {
    unsigned long number = 0;
    if (!ParseUnsigned(text, 1'000'000'000, &number, 10)) return false;
    *count = static_cast<int>(number);
    return true;
  });
}

void AddRateOption(CLI::App& app, const std::string& name, double* rate) {
  AddCheckedOption(app, name, "needs a rate from 0 to 1",
                   [rate](const std::string& text) { return ParseRate(text, rate); });
}

void AddFlag(CLI::App& app, const std::string& name, bool* flag, bool value) {
  app.add_flag_callback(name, [flag, value] { *flag = value; })->disable_flag_override();
}

// Fills `options` from the command line. Returns an exit code when the program should end here
// (--help, --version, bad usage).
std::optional<int> ParseArguments(int argc, char** argv, keldaro::sim::ScaleOptions& options) {
  CLI::App app("A virtual KELDARO scale on a pseudo-terminal", "keldaro-sim");
  app.set_help_flag("--help,-h");
  app.set_version_flag("--version", "keldaro-sim " KELDARO_VERSION);
  auto& faults = options.faults;
  AddCheckedOption(app, "--link", "needs a path", [&](const std::string& text) {
    options.link_path = text;
    return !text.empty();
  });
  app.add_option_function<std::string>("--identity", [&](const std::string& text) {
    options.identity = keldaro::sim::Utf8ToCp1254(text);
  });
  AddCheckedOption(app, "--status", "needs a hex byte, e.g. 04", [&](const std::string& text) {
    unsigned long number = 0;
    if (!ParseUnsigned(std::string(WithoutHexPrefix(text)), 0xFF, &number, 16)) return false;
    options.status = static_cast<std::uint8_t>(number);
    return true;
  });
  AddFlag(app, "--empty", &options.sample_data, false);
  AddFlag(app, "--silent", &faults.silent, true);
  AddFlag(app, "--pace", &faults.pace, true);
  AddCountOption(app, "--silent-after", &faults.silent_after);
  AddCountOption(app, "--nak-first", &faults.nak_first);
  AddCountOption(app, "--hidden-errors", &faults.hidden_errors);
  AddCountOption(app, "--bad-checksum", &faults.bad_checksum);
  AddCountOption(app, "--no-ack", &faults.without_ack);
  AddCountOption(app, "--reply-pause", &faults.reply_pause_ms);
  app.add_option_function<std::vector<std::string>>(
      "--garbage", [&](const std::vector<std::string>& words) {
        faults.garbage.clear();
        for (const std::string& word : words) {
          if (!ParseHexBytes(word, &faults.garbage)) {
            throw CLI::ValidationError("--garbage", "'" + word + "' is not hex bytes");
          }
        }
      });
  AddRateOption(app, "--bit-errors", &faults.bit_error_rate);
  AddRateOption(app, "--drop", &faults.drop_rate);
  AddCheckedOption(app, "--seed", "needs a number", [&](const std::string& text) {
    unsigned long number = 0;
    if (!ParseUnsigned(text, 0xFFFFFFFFul, &number, 10)) return false;
    faults.seed = static_cast<std::uint32_t>(number);
    return true;
  });
  AddCheckedOption(app, "--speed", "needs a line speed, e.g. 19200", [&](const std::string& text) {
    unsigned long number = 0;
    if (!ParseUnsigned(text, 4'000'000, &number, 10) || number == 0) return false;
    options.speed = static_cast<long>(number);
    return true;
  });
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    std::fputs(kUsage, stdout);
    return 0;
  } catch (const CLI::CallForVersion& e) {
    std::printf("%s\n", e.what());
    return 0;
  } catch (const CLI::ParseError& e) {
    std::fprintf(stderr, "keldaro-sim: %s\n\n%s", e.what(), kUsage);
    return 2;
  }
  return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
  keldaro::sim::ScaleOptions options;
  if (const std::optional<int> exit_code = ParseArguments(argc, argv, options)) return *exit_code;

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
