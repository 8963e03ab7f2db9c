// The fleet database's schema, built and upgraded by numbered migration files (NNN_what.sql,
// compiled in). Each file is applied once, in the order of the numbers, inside the one
// transaction that also records the schema's new version, so a failed upgrade leaves the
// database as it was.
#pragma once

#include <QSqlDatabase>
#include <QString>
#include <vector>

namespace keldaro::fleet {

struct Migration {
  int number = 0;  // the schema version the file brings the database to
  QString name;    // the file's name, for messages
  // Statements, each ending with ';'; lines starting with "--" are comments. "{AUTO_ID}" stands
  // for a rising row number the database gives each new row, spelt as the server spells it.
  QString sql;
};

// The migration files compiled into the program, by number.
std::vector<Migration> BuiltInMigrations();

struct MigrationResult {
  bool ok = false;
  int from = 0;  // the schema version found (0 for a new database)
  int to = 0;    // the schema version now
  QString error;
};

// Brings `db` (open) up to the last of `migrations`, which are sorted by number. A database whose
// schema is newer than the last migration is refused and left alone.
MigrationResult Migrate(QSqlDatabase& db, const std::vector<Migration>& migrations);

}  // namespace keldaro::fleet
