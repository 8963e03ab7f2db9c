// clock get | set: the scale's clock.
#include <CLI/CLI.hpp>
#include <QDateTime>
#include <memory>
#include <ostream>

#include "cli/cli_verbs.h"
#include "cli/connection.h"
#include "cli/verb.h"
#include "settings/settings_transfer.h"

namespace keldaro::cli {
namespace {

constexpr const char* kDateFormat = "yyyy-MM-dd";
constexpr const char* kTimeFormat = "HH:mm:ss";
using settings::ScaleClock;

int ClockGet(bool verify, const CliOptions& options, std::ostream& out, std::ostream& err) {
  Connection link(options, err);
  if (!link.connected()) return kExitLinkFailure;
  const ReadingRun reads(link.session(), verify, err);
  settings::ScaleClock clock;
  if (!settings::ReadClock(link.session(), clock).ok) return kExitLinkFailure;
  if (const QString field = clock.InvalidField(); !field.isEmpty()) {
    err << "the scale's clock holds " << clock.IsoText().toStdString()
        << ", which is not a valid time (" << field.toStdString() << "): set it with clock set\n";
    return kExitLinkFailure;
  }
  out << clock.IsoText().toStdString() << '\n' << std::flush;
  return CheckedOutput(out, err);
}

int ClockSet(const std::string& when, const CliOptions& options, std::ostream& out,
             std::ostream& err) {
  QDateTime time = QDateTime::currentDateTime();
  if (when != "now") {
    const QStringList parts = QString::fromStdString(when).split(QLatin1Char(' '));
    const QDate date =
        parts.size() == 2 ? QDate::fromString(parts[0], QLatin1String(kDateFormat)) : QDate();
    const QTime clock =
        parts.size() == 2 ? QTime::fromString(parts[1], QLatin1String(kTimeFormat)) : QTime();
    if (!date.isValid() || !clock.isValid()) {
      return BadUsage(err, "'" + when + "' is not a date and time as YYYY-MM-DD HH:MM:SS");
    }
    // A wall-clock time the clocks skip when summer time begins does not exist here.
    time = QDateTime(date, clock);
    if (!time.isValid() || time.date() != date || time.time() != clock) {
      return BadUsage(err, "'" + when + "' is not a time in this time zone");
    }
  }
  if (!ScaleClock::kYears.Contains(time.date().year())) {
    return BadUsage(err, "the scale's clock holds the years " +
                             std::to_string(ScaleClock::kYears.min) + " to " +
                             std::to_string(ScaleClock::kYears.max) + ", not " +
                             std::to_string(time.date().year()));
  }
  const settings::ScaleClock clock = settings::ScaleClock::FromDateTime(time);
  Connection link(options, err);
  if (!link.connected()) return kExitLinkFailure;
  if (!settings::SetClock(link.session(), clock).ok) return kExitLinkFailure;
  out << clock.IsoText().toStdString() << '\n' << std::flush;
  return CheckedOutput(out, err);
}

}  // namespace

void AddClockVerbs(CLI::App& app, VerbContext& context) {
  CLI::App* verb = app.add_subcommand("clock", "the scale's clock");
  verb->require_subcommand(1);

  auto verify = std::make_shared<bool>(false);
  CLI::App* get = verb->add_subcommand("get", "print the scale's clock as YYYY-MM-DD HH:MM:SS");
  get->add_flag("--verify", *verify, kVerifyReadsHelp);
  get->callback([&context, verify] {
    context.run = [&context, verify] {
      return ClockGet(*verify, context.options, context.out, context.err);
    };
  });

  auto when = std::make_shared<std::string>("now");
  CLI::App* set = verb->add_subcommand(
      "set", "set the scale's clock to the PC's local time, or to the time given");
  set->add_option("TIME", *when, "now (the default) or \"YYYY-MM-DD HH:MM:SS\"");
  set->callback([&context, when] {
    context.run = [&context, when] {
      return ClockSet(*when, context.options, context.out, context.err);
    };
  });
}

}  // namespace keldaro::cli
