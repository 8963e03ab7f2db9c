// fleet journal: what the fleet verbs did, oldest first, one line an entry or a JSON array.
#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>

#include "cli/cli_verbs.h"
#include "cli/fleet_cli.h"
#include "cli/verb.h"
#include "core/json_file.h"
#include "fleet/journal.h"

namespace keldaro::cli {
namespace {

struct JournalArguments {
  std::string db;
  std::string scale;
  bool json = false;
};

std::string JournalJson(const std::vector<fleet::JournalEntry>& entries) {
  JsonWriter w;
  w.Open(QLatin1Char('['));
  for (const fleet::JournalEntry& entry : entries) {
    w.Open(QLatin1Char('{'));
    w.String("at", entry.at);
    w.String("scale", entry.scale);
    w.String("verb", entry.verb);
    w.Bool("ok", entry.ok);
    w.String("outcome", entry.outcome);
    w.String("user", entry.user);
    w.String("host", entry.host);
    w.Close(QLatin1Char('}'));
  }
  w.Close(QLatin1Char(']'));
  return w.Text();
}

std::string JournalLines(const std::vector<fleet::JournalEntry>& entries) {
  std::string text;
  for (const fleet::JournalEntry& entry : entries) {
    const QString scale = entry.scale.isEmpty() ? QStringLiteral("-") : entry.scale;
    text += QStringList{entry.at,      scale,
                        entry.verb,    entry.ok ? QStringLiteral("ok") : QStringLiteral("failed"),
                        entry.outcome, entry.user + QLatin1Char('@') + entry.host}
                .join(QLatin1Char('\t'))
                .toStdString() +
            '\n';
  }
  return text;
}

int Journal(const JournalArguments& args, std::ostream& out, std::ostream& err) {
  int exit = kExitOk;
  const auto database = OpenFleetDatabase(args.db, err, exit);
  if (!database) return exit;
  QString error;
  const auto entries =
      fleet::ListJournal(database->Connection(), QString::fromStdString(args.scale), error);
  if (!entries) {
    err << "keldaro-cli: the fleet database failed: " << error.toStdString() << '\n';
    return kExitLinkFailure;
  }
  out << (args.json ? JournalJson(*entries) : JournalLines(*entries)) << std::flush;
  return CheckedOutput(out, err);
}

}  // namespace

void AddFleetJournalVerb(CLI::App& fleet, VerbContext& context) {
  const auto args = std::make_shared<JournalArguments>();
  CLI::App* verb = fleet.add_subcommand(
      "journal",
      "what the fleet verbs did, oldest first, one line an entry: time (UTC), scale (\"-\" for "
      "none), verb, ok or failed, outcome, user@host");
  AddDatabaseOption(*verb, args->db);
  verb->add_option("--scale", args->scale, "only the entries of this scale (one removed too)")
      ->type_name("NAME");
  verb->add_flag("--json", args->json,
                 "one JSON array of objects with at, scale, verb, ok, outcome, user and host");
  RunAs(verb, context, [args, &context] { return Journal(*args, context.out, context.err); });
}

}  // namespace keldaro::cli
