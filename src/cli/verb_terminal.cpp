// terminal: the terminal window in a text terminal, for servicing a scale over SSH. The display
// is mirrored as display --watch draws it, and keys typed on the PC keyboard go to the scale as
// the window maps them. Ctrl-C or Ctrl-D leaves; the terminal is put back as it was on every
// way out.
#include <poll.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <QLocale>
#include <cerrno>
#include <chrono>
#include <iostream>
#include <ostream>

#include "cli/cli_verbs.h"
#include "cli/connection.h"
#include "cli/display_view.h"
#include "cli/raw_terminal.h"
#include "cli/verb.h"
#include "terminal/keypad.h"
#include "terminal/terminal_runs.h"
#include "terminal/typed_keys.h"

namespace keldaro::cli {
namespace {

using terminal::TypedKey;
using terminal::TypedKeyDecoder;
using Clock = std::chrono::steady_clock;
// How long a lone Esc waits for the rest of an escape sequence before it counts as Esc.
constexpr int kEscapeWaitMs = 30;

constexpr const char* kBanner =
    "keldaro-cli terminal: keys go to the scale (digits, C or Esc, T, Z, M, P, X, S, L, O,\n"
    "Insert, Enter, Backspace, arrows, Delete, F1-F8, F11, F12). Ctrl-C or Ctrl-D leaves.\n\n";

enum class Outcome { kGoOn, kLeave, kInterrupted, kLinkFailed };

// Sends the keys read; stops at Ctrl-C, Ctrl-D or a failed key command.
Outcome SendTyped(const std::vector<TypedKey>& keys, ScaleSession& session) {
  for (const TypedKey& key : keys) {
    if (key.kind == TypedKey::Kind::kInterrupt) return Outcome::kInterrupted;
    if (key.kind == TypedKey::Kind::kEndOfInput) return Outcome::kLeave;
    if (!terminal::SendKey(session, terminal::CodeOfVirtualKey(key.virtual_key))) {
      return Outcome::kLinkFailed;
    }
  }
  return Outcome::kGoOn;
}

// Waits for typed bytes until `deadline` and sends the keys they make. A key waits at most for
// the poll in hand.
Outcome TypeUntil(Clock::time_point deadline, int input, TypedKeyDecoder& decoder,
                  ScaleSession& session) {
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0 || StopRequested()) return Outcome::kGoOn;
    pollfd ready{input, POLLIN, 0};
    const int wait =
        decoder.Pending() ? std::min<int>(kEscapeWaitMs, left) : static_cast<int>(left);
    const int n = ::poll(&ready, 1, wait);
    if (n < 0 && errno != EINTR) return Outcome::kLeave;
    if (n == 0 && decoder.Pending()) {
      if (const Outcome o = SendTyped(decoder.Pause(), session); o != Outcome::kGoOn) return o;
      continue;
    }
    if (n <= 0) continue;
    char bytes[64];
    const ssize_t got = ::read(input, bytes, sizeof bytes);
    if (got <= 0) return got == 0 || errno != EINTR ? Outcome::kLeave : Outcome::kGoOn;
    const Outcome o = SendTyped(decoder.Feed(std::string_view(bytes, got)), session);
    if (o != Outcome::kGoOn) return o;
  }
}

// Draws the display at every poll and sends the keys typed in between, until the user leaves,
// a stop is asked for or the link fails; returns the verb's exit code.
int MirrorAndType(ScaleSession& session, std::ostream& out, std::ostream& err) {
  DisplayView view(QLocale::system().decimalPoint().at(0), DisplayMode::kLive);
  TypedKeyDecoder decoder;
  for (;;) {
    const Clock::time_point next_poll = Clock::now() + terminal::kDisplayPollInterval;
    const std::optional<terminal::Display> display =
        terminal::PollDisplay(session, terminal::PollFailure::kReported);
    if (!display) return FailedRunExit();
    view.Draw(out, *display);
    if (const int code = CheckedOutput(out, err); code != kExitOk) return code;
    switch (TypeUntil(next_poll, STDIN_FILENO, decoder, session)) {
      case Outcome::kGoOn:
        if (StopRequested()) return kExitStopped;
        break;
      case Outcome::kLeave:
        return kExitOk;
      case Outcome::kInterrupted:
        return kExitStopped;
      case Outcome::kLinkFailed:
        return FailedRunExit();
    }
  }
}

int RunTerminal(const CliOptions& options, std::ostream& out, std::ostream& err) {
  // Keys come from the keyboard and the display is redrawn in place: a pipe or a file at either
  // end would get escape codes and never a key.
  if (!OnTerminal(out) || !OnTerminal(std::cin)) {
    return BadUsage(err,
                    "terminal needs a terminal for its standard input and output; from a "
                    "script use the key and display verbs");
  }
  Connection link(options, err);
  if (!link.connected()) return kExitLinkFailure;
  const RawTerminal raw(STDIN_FILENO);
  out << kBanner << std::flush;
  return MirrorAndType(link.session(), out, err);
}

}  // namespace

void AddTerminalVerb(CLI::App& app, VerbContext& context) {
  CLI::App* terminal = app.add_subcommand(
      "terminal",
      "the scale's display and keypad in this terminal (for service over SSH): the display "
      "redrawn every 100 ms, typed keys sent to the scale; Ctrl-C or Ctrl-D leaves");
  terminal->callback([&context] {
    // One keyboard drives one scale: several --port are refused, not run side by side.
    context.takes_every_port = true;
    context.run = [&context] {
      if (context.options.ports.size() > 1) {
        return BadUsage(context.err, "terminal drives one scale: give one --port");
      }
      return RunTerminal(context.options, context.out, context.err);
    };
  });
}

}  // namespace keldaro::cli
