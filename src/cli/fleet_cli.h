// What the fleet verbs share: the --db option and the database it names, and the choice of
// scales a run goes over (--scale, --group).
#pragma once

#include <QSqlDatabase>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "fleet/fleet_database.h"
#include "fleet/scale_registry.h"

namespace CLI {
class App;
}

namespace keldaro::cli {

struct VerbContext;

// Runs `work` as the verb's run; a fleet verb goes over no --port of the shared options.
void RunAs(CLI::App* verb, VerbContext& context, std::function<int()> work);

// Registers --db on a fleet verb.
void AddDatabaseOption(CLI::App& verb, std::string& db);

// The database --db names (empty: the default one), opened and up to date; nothing, with
// `exit` set and the reason on `err`, when it cannot be.
std::unique_ptr<fleet::FleetDatabase> OpenFleetDatabase(const std::string& db, std::ostream& err,
                                                        int& exit);

// The scales a run goes over: those named, and those of the group; every scale when neither
// is given.
struct ScaleChoice {
  std::vector<std::string> names;
  std::string group;
};

// Registers --scale and --group on a fleet verb that runs over scales.
void AddScaleChoiceOptions(CLI::App& verb, ScaleChoice& choice);

// The chosen scales, by name. Nothing, with `exit` set and the reason on `err`, for a name
// the fleet does not hold, a choice that holds no scale, or a database failure.
std::optional<std::vector<fleet::FleetScale>> ChosenScales(QSqlDatabase db,
                                                           const ScaleChoice& choice,
                                                           std::ostream& err, int& exit);
// The same from the database --db names, opened for the choice and closed again.
std::optional<std::vector<fleet::FleetScale>> ChosenScales(const std::string& db,
                                                           const ScaleChoice& choice,
                                                           std::ostream& err, int& exit);

}  // namespace keldaro::cli
