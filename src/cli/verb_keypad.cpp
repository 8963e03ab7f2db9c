// key KEY... and display [--watch]: the scale's keypad and display from the shell.
#include <CLI/CLI.hpp>
#include <QLocale>
#include <chrono>
#include <memory>
#include <ostream>
#include <thread>
#include <vector>

#include "cli/cli_verbs.h"
#include "cli/connection.h"
#include "cli/verb.h"
#include "core/integer_text.h"
#include "link/commands.h"
#include "terminal/display.h"
#include "terminal/keypad.h"

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
    Packet& packet = link.session().packet();
    packet.Clear();
    packet.PushByte(code);
    if (!link.session().ExecuteCommand(cmd::kKey)) return FailedRunExit();
  }
  return kExitOk;
}

// The four lines of the display: three lines with their decimal points, then the indicators on.
std::string DisplayText(const terminal::Display& d, QChar separator) {
  std::string text;
  for (std::size_t i = 0; i < d.lines.size(); ++i) {
    text += terminal::LineWithPoint(d.lines[i], d.points[i], separator).toStdString() + '\n';
  }
  return text + terminal::IndicatorsOn(d).toStdString() + '\n';
}

std::optional<terminal::Display> Poll(ScaleSession& session) {
  Packet& packet = session.packet();
  packet.Clear();
  if (!session.ExecuteCommand(cmd::kDisplayPoll)) return std::nullopt;
  const auto& body = packet.ReplyArea();
  return terminal::DecodeDisplay(
      std::string_view(reinterpret_cast<const char*>(body.data()), packet.ReplyLength()));
}

int ShowDisplay(bool watch, const CliOptions& options, std::ostream& out, std::ostream& err) {
  Connection link(options, err);
  if (!link.connected()) return kExitLinkFailure;
  const QChar separator = QLocale::system().decimalPoint().at(0);
  for (bool first = true;; first = false) {
    const std::optional<terminal::Display> display = Poll(link.session());
    if (!display) return FailedRunExit();
    // Redrawn in place: back up over the four lines and clear each before it is written again.
    if (!first) out << "\033[4A";
    std::string text = DisplayText(*display, separator);
    if (watch) {
      for (std::size_t at = 0; (at = text.find('\n', at)) != std::string::npos; at += 4) {
        text.insert(at, "\033[K");
      }
    }
    out << text << std::flush;
    if (const int code = CheckedOutput(out, err); code != kExitOk) return code;
    if (!watch) return kExitOk;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));  // the terminal's cadence
    if (StopRequested()) return kExitStopped;
  }
}

}  // namespace

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
  display->add_flag("--watch", *watch, "redraw every 100 ms until Ctrl-C");
  display->callback([&context, watch] {
    context.run = [&context, watch] {
      return ShowDisplay(*watch, context.options, context.out, context.err);
    };
  });
}

}  // namespace keldaro::cli
