// fleet add | set | list | remove: the scales of the fleet database, where each is connected and
// the groups it belongs to. These verbs talk to no scale; every one takes --db.
#include <CLI/CLI.hpp>
#include <QString>
#include <functional>
#include <memory>
#include <ostream>

#include "cli/cli_verbs.h"
#include "cli/fleet_cli.h"
#include "cli/verb.h"
#include "core/json_file.h"
#include "fleet/fleet_database.h"
#include "fleet/journal.h"
#include "fleet/scale_registry.h"
#include "fleet/write_transaction.h"
#include "link/port_name.h"

namespace keldaro::cli {
namespace {

using fleet::FleetScale;
using fleet::RegistryResult;
using fleet::RegistryStatus;

struct FleetArguments {
  std::string db;  // empty: the default database
  std::string name;
  std::string port;
  int baud = 9600;
  std::vector<std::string> groups;
  bool json = false;
  // Which of the scale's settings `fleet set` was given.
  const CLI::Option* port_option = nullptr;
  const CLI::Option* baud_option = nullptr;
  const CLI::Option* group_option = nullptr;
};

std::string Utf8(const QString& text) { return text.toStdString(); }

// The exit code of a change to the scale named `name`, with the reason on `err` when it failed.
int Outcome(const RegistryResult& result, const std::string& name, std::ostream& err) {
  switch (result.status) {
    case RegistryStatus::kOk:
      return kExitOk;
    case RegistryStatus::kNameTaken:
      return BadUsage(err, "a scale named '" + name + "' is already in the fleet");
    case RegistryStatus::kNoSuchScale:
      return BadUsage(err, "no scale named '" + name + "' in the fleet");
    case RegistryStatus::kDatabaseError:
      break;
  }
  err << "keldaro-cli: the fleet database failed: " << Utf8(result.error) << '\n';
  return kExitLinkFailure;
}

// The --group values as the scale's groups; nothing, with the bad-usage exit, for a bad name.
std::optional<QStringList> GroupsOf(const FleetArguments& args, std::ostream& err, int& exit) {
  QStringList groups;
  for (const std::string& given : args.groups) {
    const QString group = QString::fromStdString(given);
    if (const QString problem = fleet::GroupNameProblem(group); !problem.isEmpty()) {
      exit = BadUsage(err, Utf8(problem));
      return std::nullopt;
    }
    if (!groups.contains(group)) groups << group;
  }
  return groups;
}

// "PORT, N baud, groups A,B": a scale's entry, for the journal.
QString Described(const FleetScale& scale) {
  QString text = QStringLiteral("%1, %2 baud").arg(scale.port).arg(scale.baud);
  if (!scale.groups.isEmpty()) {
    text += QStringLiteral(", groups ") + scale.groups.join(QLatin1Char(','));
  }
  return text;
}

// A change to the fleet's scales and its journal row in one transaction: `change` makes it and
// sets the row's outcome; the row is written only when the change was made.
RegistryResult Journaled(QSqlDatabase db, const QString& name, const char* verb,
                         const std::function<RegistryResult(QString& outcome)>& change) {
  QString error;
  fleet::WriteTransaction transaction(db);
  if (!transaction.Begin(error)) return {RegistryStatus::kDatabaseError, error};
  QString outcome;
  const RegistryResult result = change(outcome);
  if (result.status != RegistryStatus::kOk) return result;
  if (!fleet::AddJournalEntry(db, fleet::NewJournalEntry(name, QLatin1String(verb), true, outcome),
                              error) ||
      !transaction.Commit(error)) {
    return {RegistryStatus::kDatabaseError, error};
  }
  return result;
}

int Add(const FleetArguments& args, std::ostream& err) {
  if (QString::fromStdString(args.name).trimmed().isEmpty()) {
    return BadUsage(err, "a scale's name cannot be empty");
  }
  int exit = kExitOk;
  const std::optional<QStringList> groups = GroupsOf(args, err, exit);
  if (!groups) return exit;
  const auto database = OpenFleetDatabase(args.db, err, exit);
  if (!database) return exit;
  const FleetScale scale{
      QString::fromStdString(args.name), QString::fromStdString(args.port), args.baud, *groups, {}};
  const RegistryResult added =
      Journaled(database->Connection(), scale.name, "add", [&](QString& outcome) {
        outcome = QStringLiteral("added: ") + Described(scale);
        return fleet::AddScale(database->Connection(), scale);
      });
  return Outcome(added, args.name, err);
}

int Set(const FleetArguments& args, std::ostream& err) {
  if (args.port_option->count() == 0 && args.baud_option->count() == 0 &&
      args.group_option->count() == 0) {
    return BadUsage(err, "fleet set needs --port, --baud or --group");
  }
  int exit = kExitOk;
  const std::optional<QStringList> groups = GroupsOf(args, err, exit);
  if (!groups) return exit;
  const auto database = OpenFleetDatabase(args.db, err, exit);
  if (!database) return exit;
  const QString name = QString::fromStdString(args.name);
  const RegistryResult set = Journaled(database->Connection(), name, "set", [&](QString& outcome) {
    RegistryResult found;
    std::optional<FleetScale> scale = fleet::FindScale(database->Connection(), name, found);
    if (!scale) return found;
    if (args.port_option->count() > 0) scale->port = QString::fromStdString(args.port);
    if (args.baud_option->count() > 0) scale->baud = args.baud;
    if (args.group_option->count() > 0) scale->groups = *groups;  // the groups given replace all
    outcome = QStringLiteral("now: ") + Described(*scale);
    return fleet::UpdateScale(database->Connection(), *scale);
  });
  return Outcome(set, args.name, err);
}

int Remove(const FleetArguments& args, std::ostream& err) {
  int exit = kExitOk;
  const auto database = OpenFleetDatabase(args.db, err, exit);
  if (!database) return exit;
  const QString name = QString::fromStdString(args.name);
  const RegistryResult removed =
      Journaled(database->Connection(), name, "remove", [&](QString& outcome) {
        outcome = QStringLiteral("removed");
        return fleet::RemoveScale(database->Connection(), name);
      });
  return Outcome(removed, args.name, err);
}

std::string ListJson(const std::vector<FleetScale>& scales) {
  JsonWriter w;
  w.Open(QLatin1Char('['));
  for (const FleetScale& scale : scales) {
    w.Open(QLatin1Char('{'));
    w.String("name", scale.name);
    w.String("port", scale.port);
    w.Int("baud", scale.baud);
    w.Key("groups");
    w.Open(QLatin1Char('['));
    for (const QString& group : scale.groups) w.Value(JsonString(group));
    w.Close(QLatin1Char(']'));
    w.String("identity", scale.identity);
    w.Close(QLatin1Char('}'));
  }
  w.Close(QLatin1Char(']'));
  return w.Text();
}

std::string OrDash(const QString& text) { return text.isEmpty() ? "-" : Utf8(text); }

int List(const FleetArguments& args, std::ostream& out, std::ostream& err) {
  int exit = kExitOk;
  const auto database = OpenFleetDatabase(args.db, err, exit);
  if (!database) return exit;
  RegistryResult listed;
  const std::optional<std::vector<FleetScale>> scales =
      fleet::ListScales(database->Connection(), listed);
  if (!scales) return Outcome(listed, {}, err);
  if (args.json) {
    out << ListJson(*scales);
  } else {
    for (const FleetScale& scale : *scales) {
      out << Utf8(scale.name) << '\t' << Utf8(scale.port) << '\t' << scale.baud << '\t'
          << OrDash(scale.groups.join(QLatin1Char(','))) << '\t' << OrDash(scale.identity) << '\n';
    }
  }
  out << std::flush;
  return CheckedOutput(out, err);
}

// The checks of a port name, as the shared --port option makes them.
std::string PortProblem(const std::string& text) {
  std::string error;
  return PortName::Parse(text, &error) ? std::string() : error;
}

CLI::App* AddFleetSubcommand(CLI::App& fleet, const char* name, const char* description,
                             FleetArguments& args) {
  CLI::App* verb = fleet.add_subcommand(name, description);
  AddDatabaseOption(*verb, args.db);
  return verb;
}

void AddScaleOptions(CLI::App& verb, FleetArguments& args, bool port_required) {
  verb.add_option("NAME", args.name, "the scale's name in the fleet")->required();
  args.port_option = verb.add_option("--port", args.port, "the port the scale is on")
                         ->type_name("COMn|PATH|URL")
                         ->check(PortProblem, "")
                         ->required(port_required);
  args.baud_option =
      verb.add_option("--baud", args.baud, "the scale's line speed (add: 9600 when not given)")
          ->type_name("N")
          ->check(CLI::PositiveNumber);
  args.group_option = verb.add_option("--group", args.groups,
                                      "a group the scale belongs to (more than once for "
                                      "several; with set, they replace the old ones)")
                          ->type_name("G");
}

}  // namespace

void AddFleetVerbs(CLI::App& app, VerbContext& context) {
  CLI::App* fleet = app.add_subcommand("fleet", "the database of many scales (needs no scale)");
  fleet->require_subcommand(1);

  // Each subcommand fills arguments of its own: `set` asks which of its options were given.
  const auto add_args = std::make_shared<FleetArguments>();
  CLI::App* add = AddFleetSubcommand(*fleet, "add", "add a scale to the fleet", *add_args);
  AddScaleOptions(*add, *add_args, true);
  RunAs(add, context, [add_args, &context] { return Add(*add_args, context.err); });

  const auto set_args = std::make_shared<FleetArguments>();
  CLI::App* set =
      AddFleetSubcommand(*fleet, "set", "change a scale's port, line speed or groups", *set_args);
  AddScaleOptions(*set, *set_args, false);
  RunAs(set, context, [set_args, &context] { return Set(*set_args, context.err); });

  const auto list_args = std::make_shared<FleetArguments>();
  CLI::App* list = AddFleetSubcommand(
      *fleet, "list",
      "the scales, one a line: name, port, line speed, groups, identity (\"-\" where none)",
      *list_args);
  list->add_flag("--json", list_args->json,
                 "one JSON array of objects with name, port, baud, groups and identity");
  RunAs(list, context,
        [list_args, &context] { return List(*list_args, context.out, context.err); });

  const auto remove_args = std::make_shared<FleetArguments>();
  CLI::App* remove =
      AddFleetSubcommand(*fleet, "remove", "remove a scale from the fleet", *remove_args);
  remove->add_option("NAME", remove_args->name, "the scale's name in the fleet")->required();
  RunAs(remove, context, [remove_args, &context] { return Remove(*remove_args, context.err); });

  AddFleetPullVerb(*fleet, context);
  AddFleetPushVerb(*fleet, context);
  AddFleetReportsVerb(*fleet, context);
  AddFleetJournalVerb(*fleet, context);
}

}  // namespace keldaro::cli
