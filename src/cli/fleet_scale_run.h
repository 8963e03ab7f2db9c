// What fleet pull and fleet push do for each chosen scale, each scale on a thread of its own
// with its own connection to the fleet database (Qt SQL's connections belong to the thread that
// opened them), its own session on the scale's port and its own buffer of messages: the
// scale's lock, the port opened, the identity checked, and at the end one transaction holding
// what the run recorded and its journal row.
#pragma once

#include <QSqlDatabase>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/connection.h"
#include "cli/fleet_cli.h"
#include "fleet/fleet_database.h"
#include "fleet/scale_lock.h"
#include "fleet/scale_registry.h"

namespace keldaro::cli {

// The help of --accept-identity.
inline constexpr const char* kAcceptIdentityHelp =
    "take a scale that answers with another identity than the one recorded for it as that "
    "scale (a scale replaced or repaired): its new identity is recorded and what was recorded "
    "of its PLU table is forgotten";

// What every scale's run of one command line shares.
struct FleetRunOptions {
  std::string db;   // --db as given
  CliOptions link;  // --timeout and --trace; each scale's own port and line speed
  bool accept_identity = false;
};

// Prints a line on stderr at once, between whole scales' output.
using SayNow = std::function<void(const std::string&)>;

// How one scale's run ended: its exit code and its line after "NAME: ".
struct ScaleOutcome {
  int exit = 0;
  std::string line;
};

class ScaleRun {
 public:
  // `messages`: the scale's own buffer; `say_now` prints a line at once (a wait for the lock).
  ScaleRun(const fleet::FleetScale& scale, const FleetRunOptions& options,
           std::ostringstream& messages, SayNow say_now);
  ~ScaleRun();

  // The run's own connection to the fleet database and the scale's lock, after any other run
  // of the scale ended. Nothing, with the outcome, when either cannot be had.
  std::optional<ScaleOutcome> Begin();
  // The scale's port opened and its identity checked: the first identity it answers with is
  // taken; another one refuses the run unless the user accepts it. Nothing, or the outcome of
  // the refusal or failure (in the journal).
  std::optional<ScaleOutcome> Connect(const char* verb);
  // True when Connect took the identity the scale answered with: Finish records it and
  // forgets whatever was recorded of the scale's PLU table, which the run must not trust.
  bool IdentityTaken() const { return identity_taken_; }

  QSqlDatabase Database() const { return database_->Connection(); }
  ScaleSession& Session() { return link_->session(); }
  const fleet::FleetScale& Scale() const { return scale_; }

  // `outcome`, after recording in one transaction the identity taken, what `record` writes
  // (when given) and the journal row of `verb` with the outcome's line. A database failure
  // becomes the outcome.
  ScaleOutcome Finish(const char* verb, ScaleOutcome outcome,
                      const std::function<bool(QSqlDatabase, QString&)>& record = {});

  // The outcome of a failure whose messages went to the scale's buffer.
  ScaleOutcome FailedByMessages(int exit) const;

 private:
  fleet::FleetScale scale_;
  const FleetRunOptions& options_;
  std::ostringstream& messages_;
  SayNow say_now_;
  std::unique_ptr<fleet::FleetDatabase> database_;
  std::unique_ptr<fleet::ScaleLock> lock_;
  std::unique_ptr<Connection> link_;
  bool identity_taken_ = false;
};

// The outcome of a database failure.
ScaleOutcome DatabaseFailure(const QString& error);

// Runs `run` for each of `scales`, `jobs` at a time, each with its own buffer of messages. As
// each scale ends, its messages go to `err` and "NAME: <line>" to `out`, whole. Returns 0 when
// every scale's run did, else the highest exit code (a stop above a failure).
using ScaleWork = std::function<ScaleOutcome(const fleet::FleetScale& scale,
                                             std::ostringstream& messages, const SayNow& say_now)>;
int RunOverScales(const std::vector<fleet::FleetScale>& scales, int jobs, const ScaleWork& run,
                  std::ostream& out, std::ostream& err);
// The same over the scales `choice` picks from the database of `options`; `jobs` 0 runs them
// all at once.
int RunOverChosenScales(const ScaleChoice& choice, const FleetRunOptions& options, int jobs,
                        const ScaleWork& run, std::ostream& out, std::ostream& err);

}  // namespace keldaro::cli
