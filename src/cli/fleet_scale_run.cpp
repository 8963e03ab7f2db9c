#include "cli/fleet_scale_run.h"

#include <QLocale>
#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>

#include "cli/cli_verbs.h"
#include "cli/every_port.h"
#include "cli/fleet_cli.h"
#include "core/cp1254.h"
#include "fleet/journal.h"
#include "fleet/plu_state.h"
#include "fleet/scale_identity.h"
#include "fleet/write_transaction.h"

namespace keldaro::cli {
namespace {

// `messages` with "NAME: " in front of each line, so that several scales' messages on stderr
// say whose they are.
std::string Prefixed(const std::string& name, const std::string& messages) {
  std::string prefixed;
  std::size_t start = 0;
  while (start < messages.size()) {
    std::size_t end = messages.find('\n', start);
    end = end == std::string::npos ? messages.size() : end + 1;
    prefixed += name + ": " + messages.substr(start, end - start);
    start = end;
  }
  if (!prefixed.empty() && prefixed.back() != '\n') prefixed += '\n';
  return prefixed;
}

}  // namespace

ScaleOutcome DatabaseFailure(const QString& error) {
  return {kExitLinkFailure, "the fleet database failed: " + error.toStdString()};
}

ScaleRun::ScaleRun(const fleet::FleetScale& scale, const FleetRunOptions& options,
                   std::ostringstream& messages, SayNow say_now)
    : scale_(scale), options_(options), messages_(messages), say_now_(std::move(say_now)) {}

ScaleRun::~ScaleRun() = default;

ScaleOutcome ScaleRun::FailedByMessages(int exit) const {
  return {exit, FirstMessageOf(messages_.str())};
}

std::optional<ScaleOutcome> ScaleRun::Begin() {
  int exit = kExitOk;
  database_ = OpenFleetDatabase(options_.db, messages_, exit);
  if (!database_) return FailedByMessages(exit);
  const std::string name = scale_.name.toStdString();
  QString error;
  lock_ = fleet::ScaleLock::Take(
      database_->Connection(), scale_.name,
      {.keep_waiting = [] { return !StopRequested(); },
       .on_wait = [&] { say_now_(name + ": waiting for another run of " + name + " to end"); }},
      error);
  if (!lock_) {
    if (StopRequested()) return ScaleOutcome{StoppedExit(), error.toStdString()};
    return ScaleOutcome{kExitLinkFailure, "the scale's lock failed: " + error.toStdString()};
  }
  // Read afresh: a run that held the lock may have recorded the scale's identity.
  fleet::RegistryResult found;
  std::optional<fleet::FleetScale> now =
      fleet::FindScale(database_->Connection(), scale_.name, found);
  if (!now) {
    return found.status == fleet::RegistryStatus::kNoSuchScale
               ? ScaleOutcome{kExitLinkFailure, "removed from the fleet meanwhile"}
               : DatabaseFailure(found.error);
  }
  scale_ = *now;
  return std::nullopt;
}

std::optional<ScaleOutcome> ScaleRun::Connect(const char* verb) {
  CliOptions link = options_.link;
  link.port = scale_.port.toStdString();
  link.ports = {link.port};
  link.baud = scale_.baud;
  link_ = std::make_unique<Connection>(link, messages_);
  if (!link_->connected()) return Finish(verb, FailedByMessages(FailedRunExit()));
  const QString answered = FromCp1254(link_->identity());
  const fleet::IdentityVerdict verdict =
      fleet::JudgeIdentity(scale_.identity, answered, options_.accept_identity);
  if (!fleet::MayRun(verdict)) {
    return Finish(verb, {kExitLinkFailure, fleet::OtherScaleText(scale_, answered).toStdString()});
  }
  if (fleet::RecordsIdentity(verdict)) {
    scale_.identity = answered;
    identity_taken_ = true;
  }
  return std::nullopt;
}

ScaleOutcome ScaleRun::Finish(const char* verb, ScaleOutcome outcome,
                              const std::function<bool(QSqlDatabase, QString&)>& record) {
  QSqlDatabase db = Database();
  QString error;
  fleet::WriteTransaction transaction(db);  // rolled back unless committed
  if (!transaction.Begin(error)) return DatabaseFailure(error);
  // What was recorded of the table belongs to a scale that is no longer known to be this one.
  const auto record_identity = [&] {
    const fleet::RegistryResult updated = fleet::UpdateScale(db, scale_);
    error = updated.error;
    return updated.status == fleet::RegistryStatus::kOk &&
           fleet::ForgetRecordedTable(db, scale_.name, error);
  };
  const bool recorded =
      (!identity_taken_ || record_identity()) && (!record || record(db, error)) &&
      fleet::AddJournalEntry(
          db,
          fleet::NewJournalEntry(scale_.name, QString::fromLatin1(verb), outcome.exit == kExitOk,
                                 QString::fromStdString(outcome.line)),
          error);
  if (recorded && transaction.Commit(error)) return outcome;
  ScaleOutcome failed = DatabaseFailure(error);
  failed.line += " (the run: " + outcome.line + ")";
  return failed;
}

int RunOverScales(const std::vector<fleet::FleetScale>& scales, int jobs, const ScaleWork& run,
                  std::ostream& out, std::ostream& err) {
  // Read once here: the system locale is then set up before any thread asks for it.
  QLocale::system();
  std::mutex print;
  const SayNow say_now = [&](const std::string& line) {
    const std::lock_guard<std::mutex> lock(print);
    err << line << '\n' << std::flush;
  };
  std::atomic<std::size_t> next{0};
  int worst = kExitOk;
  const auto work = [&] {
    for (std::size_t i = next++; i < scales.size(); i = next++) {
      const fleet::FleetScale& scale = scales[i];
      std::ostringstream messages;
      const ScaleOutcome outcome = StopRequested()
                                       ? ScaleOutcome{StoppedExit(), "not started: stopped"}
                                       : run(scale, messages, say_now);
      const std::string name = scale.name.toStdString();
      const std::lock_guard<std::mutex> lock(print);
      err << Prefixed(name, messages.str()) << std::flush;
      out << name << ": " << outcome.line << '\n' << std::flush;
      worst = std::max(worst, outcome.exit);
    }
  };
  std::vector<std::thread> threads;
  const std::size_t count = std::min(scales.size(), static_cast<std::size_t>(std::max(jobs, 1)));
  for (std::size_t t = 0; t < count; ++t) threads.emplace_back(work);
  for (std::thread& thread : threads) thread.join();
  if (worst == kExitOk) return CheckedOutput(out, err);
  return worst;
}

int RunOverChosenScales(const ScaleChoice& choice, const FleetRunOptions& options, int jobs,
                        const ScaleWork& run, std::ostream& out, std::ostream& err) {
  int exit = kExitOk;
  const auto scales = ChosenScales(options.db, choice, err, exit);
  if (!scales) return exit;
  return RunOverScales(*scales, jobs > 0 ? jobs : static_cast<int>(scales->size()), run, out, err);
}

}  // namespace keldaro::cli
