#include "cli/fleet_cli.h"

#include <CLI/CLI.hpp>
#include <QString>
#include <algorithm>

#include "cli/cli_verbs.h"
#include "cli/verb.h"
#include "fleet/database_target.h"

namespace keldaro::cli {

void RunAs(CLI::App* verb, VerbContext& context, std::function<int()> work) {
  verb->callback([&context, work = std::move(work)] {
    context.takes_every_port = true;
    context.run = work;
  });
}

void AddDatabaseOption(CLI::App& verb, std::string& db) {
  verb.add_option("--db", db,
                  "the fleet database: an SQLite file, or postgresql://USER@HOST[:PORT]/NAME "
                  "(default $KELDARO_DB, else $XDG_DATA_HOME/keldaro/fleet.sqlite)")
      ->type_name("PATH|URL");
}

std::unique_ptr<fleet::FleetDatabase> OpenFleetDatabase(const std::string& db, std::ostream& err,
                                                        int& exit) {
  const QString text = db.empty() ? fleet::DefaultDatabaseText() : QString::fromStdString(db);
  QString error;
  const std::optional<fleet::DatabaseTarget> target = fleet::ParseDatabaseTarget(text, error);
  if (!target) {
    exit = BadUsage(err, error.toStdString());
    return nullptr;
  }
  std::unique_ptr<fleet::FleetDatabase> database = fleet::FleetDatabase::Open(*target, error);
  if (!database) {
    err << "keldaro-cli: " << error.toStdString() << '\n';
    exit = kExitLinkFailure;
  }
  return database;
}

void AddScaleChoiceOptions(CLI::App& verb, ScaleChoice& choice) {
  verb.add_option("--scale", choice.names, "a scale of the fleet (more than once for several)")
      ->type_name("NAME");
  verb.add_option("--group", choice.group, "the scales of this group")->type_name("G");
}

std::optional<std::vector<fleet::FleetScale>> ChosenScales(QSqlDatabase db,
                                                           const ScaleChoice& choice,
                                                           std::ostream& err, int& exit) {
  fleet::RegistryResult listed;
  std::optional<std::vector<fleet::FleetScale>> scales = fleet::ListScales(db, listed);
  if (!scales) {
    err << "keldaro-cli: the fleet database failed: " << listed.error.toStdString() << '\n';
    exit = kExitLinkFailure;
    return std::nullopt;
  }
  for (const std::string& name : choice.names) {
    const QString wanted = QString::fromStdString(name);
    if (std::none_of(scales->begin(), scales->end(),
                     [&](const fleet::FleetScale& s) { return s.name == wanted; })) {
      exit = BadUsage(err, "no scale named '" + name + "' in the fleet");
      return std::nullopt;
    }
  }
  const QString group = QString::fromStdString(choice.group);
  const auto chosen = [&](const fleet::FleetScale& scale) {
    const bool named = std::find(choice.names.begin(), choice.names.end(),
                                 scale.name.toStdString()) != choice.names.end();
    const bool in_group = !group.isEmpty() && scale.groups.contains(group);
    return named || in_group || (choice.names.empty() && group.isEmpty());
  };
  std::erase_if(*scales, [&](const fleet::FleetScale& scale) { return !chosen(scale); });
  if (scales->empty()) {
    exit = BadUsage(err, group.isEmpty()
                             ? std::string("the fleet has no scales: fleet add one")
                             : "no scale of the fleet is in the group '" + choice.group + "'");
    return std::nullopt;
  }
  return scales;
}

std::optional<std::vector<fleet::FleetScale>> ChosenScales(const std::string& db,
                                                           const ScaleChoice& choice,
                                                           std::ostream& err, int& exit) {
  const auto database = OpenFleetDatabase(db, err, exit);
  if (!database) return std::nullopt;
  return ChosenScales(database->Connection(), choice, err, exit);
}

}  // namespace keldaro::cli
