#include "fleet/migrations.h"

#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>

#include "fleet/write_transaction.h"

namespace keldaro::fleet {
namespace {

constexpr const char* kMigrationFolder = ":/fleet/migrations";

// The statements of a migration file, comment lines left out. Qt SQL runs one statement a call.
QStringList Statements(const QString& sql) {
  QStringList code;
  for (const QString& line : sql.split(QLatin1Char('\n'))) {
    if (!line.trimmed().startsWith(QLatin1String("--"))) code << line;
  }
  QStringList statements;
  for (const QString& statement : code.join(QLatin1Char('\n')).split(QLatin1Char(';'))) {
    if (!statement.trimmed().isEmpty()) statements << statement.trimmed();
  }
  return statements;
}

bool IsSqlite(const QSqlDatabase& db) { return db.driverName() == QLatin1String("QSQLITE"); }

// The SQL of a migration for `db`'s server: the few words the two servers spell differently
// are written as placeholders in the files.
QString ForServer(const QSqlDatabase& db, QString sql) {
  // A row number the database gives each new row, rising.
  return sql.replace(QStringLiteral("{AUTO_ID}"),
                     IsSqlite(db) ? QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT")
                                  : QStringLiteral("BIGSERIAL PRIMARY KEY"));
}

// Runs `statement`; false with the database's reason in `error`.
bool Run(QSqlQuery& query, const QString& statement, QString& error) {
  if (query.exec(statement)) return true;
  error = query.lastError().text();
  return false;
}

// The key of the PostgreSQL advisory lock that migrations of one database take in turn.
constexpr qint64 kMigrationLockKey = 0x6b656c6461726f;  // "keldaro"

// Makes `transaction` (begun) one that no other program's migration of the same database runs
// beside, so that two programs opening a new database at once do not both read the old version
// and apply the same files. SQLite's write transaction already holds the file's write lock (the
// busy timeout set on opening is how long the second one waits); PostgreSQL waits for a lock
// held until the end of the transaction, taken before anything is read.
bool TakeMigrationTurn(QSqlDatabase& db, QSqlQuery& query, QString& error) {
  return IsSqlite(db) ||
         Run(query, QStringLiteral("SELECT pg_advisory_xact_lock(%1)").arg(kMigrationLockKey),
             error);
}

MigrationResult Failed(MigrationResult result, const QString& error) {
  result.ok = false;
  result.error = error;
  return result;
}

}  // namespace

std::vector<Migration> BuiltInMigrations() {
  std::vector<Migration> migrations;
  const QDir folder(QString::fromLatin1(kMigrationFolder));
  for (const QString& name : folder.entryList({QStringLiteral("*.sql")}, QDir::Files)) {
    QFile file(folder.filePath(name));
    file.open(QIODevice::ReadOnly);  // a compiled-in resource: it opens
    migrations.push_back(
        {name.section(QLatin1Char('_'), 0, 0).toInt(), name, QString::fromUtf8(file.readAll())});
  }
  std::sort(migrations.begin(), migrations.end(),
            [](const Migration& a, const Migration& b) { return a.number < b.number; });
  return migrations;
}

MigrationResult Migrate(QSqlDatabase& db, const std::vector<Migration>& migrations) {
  const int known = migrations.empty() ? 0 : migrations.back().number;
  MigrationResult result;
  QSqlQuery query(db);
  QString error;
  // A database already up to date, as nearly every opening finds it, is only read: the write
  // transaction below would make the threads of a push, each opening its own connection, wait
  // for each other's write lock on SQLite.
  if (query.exec(QStringLiteral("SELECT MAX(version) FROM schema_version")) && query.next() &&
      query.value(0).toInt() == known) {
    result.from = result.to = known;
    result.ok = true;
    return result;
  }
  query.finish();
  WriteTransaction transaction(db);  // rolled back on every early return
  if (!transaction.Begin(error) || !TakeMigrationTurn(db, query, error)) {
    return Failed(result, error);
  }
  if (!Run(query,
           QStringLiteral("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)"),
           error) ||
      !Run(query, QStringLiteral("SELECT MAX(version) FROM schema_version"), error)) {
    return Failed(result, error);
  }
  result.from = query.next() ? query.value(0).toInt() : 0;  // NULL (no row yet) reads as 0
  result.to = result.from;
  if (result.from > known) {
    return Failed(result,
                  QStringLiteral("the fleet database has schema version %1, newer than this "
                                 "program knows (%2): use a newer keldaro")
                      .arg(result.from)
                      .arg(known));
  }
  for (const Migration& migration : migrations) {
    if (migration.number <= result.from) continue;
    for (const QString& statement : Statements(ForServer(db, migration.sql))) {
      if (!Run(query, statement, error)) {
        return Failed(result, migration.name + QStringLiteral(": ") + error);
      }
    }
    result.to = migration.number;
  }
  if (result.to != result.from) {
    query.prepare(QStringLiteral("DELETE FROM schema_version"));
    if (!query.exec()) return Failed(result, query.lastError().text());
    query.prepare(QStringLiteral("INSERT INTO schema_version (version) VALUES (?)"));
    query.addBindValue(result.to);
    if (!query.exec()) return Failed(result, query.lastError().text());
  }
  if (!transaction.Commit(error)) return Failed(result, error);
  result.ok = true;
  return result;
}

}  // namespace keldaro::fleet
