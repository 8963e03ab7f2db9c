#include "fleet/journal.h"

#include <pwd.h>
#include <unistd.h>

#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>
#include <QSysInfo>

namespace keldaro::fleet {
namespace {

// The login name: $USER, else $LOGNAME, else the name of the account the program runs as (a
// cron job or a shell started without a login sets neither), else "?".
QString UserName() {
  for (const char* variable : {"USER", "LOGNAME"}) {
    const QString name = qEnvironmentVariable(variable);
    if (!name.isEmpty()) return name;
  }
  if (const passwd* account = ::getpwuid(::geteuid()))
    return QString::fromLocal8Bit(account->pw_name);
  return QStringLiteral("?");
}

}  // namespace

QString FleetTimeNow() { return QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs); }

JournalEntry NewJournalEntry(const QString& scale, const QString& verb, bool ok,
                             const QString& outcome) {
  return {FleetTimeNow(), scale, verb, ok, outcome, UserName(), QSysInfo::machineHostName()};
}

bool AddJournalEntry(QSqlDatabase db, const JournalEntry& entry, QString& error) {
  QSqlQuery query(db);
  query.prepare(
      QStringLiteral("INSERT INTO journal (at, scale, verb, ok, outcome, user_name, host) "
                     "VALUES (?, ?, ?, ?, ?, ?, ?)"));
  // Qt SQL binds a null QString as NULL; the columns are NOT NULL, empty meaning none.
  for (const QString& text : {entry.at, entry.scale, entry.verb}) {
    query.addBindValue(text.isNull() ? QStringLiteral("") : text);
  }
  query.addBindValue(entry.ok ? 1 : 0);
  for (const QString& text : {entry.outcome, entry.user, entry.host}) {
    query.addBindValue(text.isNull() ? QStringLiteral("") : text);
  }
  if (query.exec()) return true;
  error = query.lastError().text();
  return false;
}

std::optional<std::vector<JournalEntry>> ListJournal(QSqlDatabase db, const QString& scale,
                                                     QString& error) {
  QSqlQuery query(db);
  QString select =
      QStringLiteral("SELECT at, scale, verb, ok, outcome, user_name, host FROM journal");
  if (!scale.isEmpty()) select += QStringLiteral(" WHERE scale = ?");
  query.prepare(select + QStringLiteral(" ORDER BY id"));
  if (!scale.isEmpty()) query.addBindValue(scale);
  if (!query.exec()) {
    error = query.lastError().text();
    return std::nullopt;
  }
  std::vector<JournalEntry> entries;
  while (query.next()) {
    entries.push_back({query.value(0).toString(), query.value(1).toString(),
                       query.value(2).toString(), query.value(3).toInt() != 0,
                       query.value(4).toString(), query.value(5).toString(),
                       query.value(6).toString()});
  }
  return entries;
}

}  // namespace keldaro::fleet
