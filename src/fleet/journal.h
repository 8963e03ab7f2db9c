// The journal of the fleet: one row for each scale an operation touched, with who ran it where.
#pragma once

#include <QSqlDatabase>
#include <QString>
#include <optional>
#include <vector>

namespace keldaro::fleet {

struct JournalEntry {
  QString at;     // UTC, ISO 8601 with milliseconds ("2026-12-09T10:04:05.123Z")
  QString scale;  // empty for an operation that touched no scale
  QString verb;   // as typed after "fleet": "push", "pull", "reports", "add", ...
  bool ok = false;
  QString outcome;  // the verb's own line for the scale: "sent 2 of 2", the failure
  QString user;
  QString host;
};

// The time now as the fleet's tables keep it: UTC, ISO 8601 with milliseconds, so that the
// text sorts as the time.
QString FleetTimeNow();

// An entry stamped with the time now, the user running the program and this computer's name.
JournalEntry NewJournalEntry(const QString& scale, const QString& verb, bool ok,
                             const QString& outcome);

// Adds `entry`; false with the database's reason in `error`. Inside the caller's transaction
// when one is open, so a run's journal row stands or falls with what the run recorded.
bool AddJournalEntry(QSqlDatabase db, const JournalEntry& entry, QString& error);

// The entries, oldest first; only those of `scale` when it is not empty. Nothing, with the
// reason in `error`, when the database fails.
std::optional<std::vector<JournalEntry>> ListJournal(QSqlDatabase db, const QString& scale,
                                                     QString& error);

}  // namespace keldaro::fleet
