// key KEY... and display [--watch]: the scale's keypad and display from the shell.
#include <CLI/CLI.hpp>
#include <QLocale>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <ostream>
#include <thread>
#include <vector>

#include "cli/cli_verbs.h"
#include "cli/connection.h"
#include "cli/display_view.h"
#include "cli/verb.h"
#include "core/integer_text.h"
#include "terminal/keypad.h"
#include "terminal/terminal_runs.h"

namespace keldaro::cli {
namespace {

// A keypad caption ("00", "PAY", "<=|") or a code in hex ("0x2E").
std::optional<std::uint8_t> KeyCode(const std::string& key) {
  if (const auto code = terminal::CodeOfCaption(QString::fromStdString(key))) return code;
  if (key.size() > 2 && key.size() <= 4 && (key.rfind("0x", 0) == 0 || key.rfind("0X", 0) == 0)) {
    const auto value = ParseInteger(std::string_view(key).substr(2), 16);
    if (value && *value >= 0 && *value <= 0xFF) return static_cast<std::uint8_t>(*value);
  }
  return std::nullopt;
}

int Keys(const std::vector<std::string>& keys, const CliOptions& options, std::ostream& err) {
  std::vector<std::uint8_t> codes;
  for (const std::string& key : keys) {
    const auto code = KeyCode(key);
    if (!code) return BadUsage(err, "'" + key + "' is not a key of the keypad nor a code as 0x2E");
    codes.push_back(*code);
  }
  Connection link(options, err);
  if (!link.connected()) return kExitLinkFailure;
  for (std::uint8_t code : codes) {
    if (!terminal::SendKey(link.session(), code)) return FailedRunExit();
  }
  return kExitOk;
}

int ShowDisplay(bool watch, const CliOptions& options, std::ostream& out, std::ostream& err) {
  Connection link(options, err);
  if (!link.connected()) return kExitLinkFailure;
  // Redrawn in place on a terminal; a pipe or a file gets a line for each change instead.
  const DisplayMode mode = !watch            ? DisplayMode::kOnce
                           : OnTerminal(out) ? DisplayMode::kLive
                                             : DisplayMode::kChanges;
  DisplayView view(QLocale::system().decimalPoint().at(0), mode);
  for (;;) {
    const std::optional<terminal::Display> display =
        terminal::PollDisplay(link.session(), terminal::PollFailure::kReported);
    if (!display) return FailedRunExit();
    view.Draw(out, *display);
    if (const int code = CheckedOutput(out, err); code != kExitOk) return code;
    if (!watch) return kExitOk;
    std::this_thread::sleep_for(terminal::kDisplayPollInterval);
    if (StopRequested()) return kExitStopped;
  }
}

}  // namespace

std::vector<std::string> DashCaptionsAsCodes(std::vector<std::string> args) {
  for (auto it = std::find(args.begin(), args.end(), "key"); it != args.end(); ++it) {
    if (it->size() < 2 || it->front() != '-') continue;
    if (const auto code = terminal::CodeOfCaption(QString::fromStdString(*it))) {
      char hex[5];
      std::snprintf(hex, sizeof hex, "0x%02X", *code);
      *it = hex;
    }
  }
  return args;
}

void AddKeypadVerbs(CLI::App& app, VerbContext& context) {
  auto keys = std::make_shared<std::vector<std::string>>();
  CLI::App* key = app.add_subcommand(
      "key", "press keys of the scale's keypad (command 64), one command each, in order");
  key->add_option("KEY", *keys,
                  "a keypad caption (7, 00, M, shift, ON, PLU, DRW, LF, X, PAY, %-, C, TOT, <, >, "
                  "C1, -0-, -T-, C2, <=, <=|) or a code in hex (0x2E)")
      ->required();
  key->callback([&context, keys] {
    context.run = [&context, keys] { return Keys(*keys, context.options, context.err); };
  });

  auto watch = std::make_shared<bool>(false);
  CLI::App* display = app.add_subcommand(
      "display", "print the scale's three display lines and the indicators that are on");
  display->add_flag("--watch", *watch,
                    "redraw every 100 ms until Ctrl-C (not on a terminal: one line, the four "
                    "TAB-separated, for each change)");
  display->callback([&context, watch] {
    context.run = [&context, watch] {
      return ShowDisplay(*watch, context.options, context.out, context.err);
    };
  });
}

}  // namespace keldaro::cli
