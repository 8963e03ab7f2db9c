// The fleet database's schema, built and upgraded by numbered migration files (NNN_what.sql,
// compiled in). Each file is applied once, in the order of the numbers, inside the one
// transaction that also records the schema's new version, so a failed upgrade leaves the
// database as it was.
//
// The same files run on SQLite and on PostgreSQL, so a migration keeps to what both take alike:
// - the types TEXT, INTEGER (32 bits on PostgreSQL; a bool as 0 or 1), BIGINT and {AUTO_ID};
//   times as ISO 8601 text in UTC, money as whole minor units; no REAL, BLOB, BYTEA, DATETIME,
//   BOOLEAN or SERIAL;
// - no keyword that PostgreSQL reserves as a name ("user", "order", "group", "offset", "table",
//   ...): `SELECT * FROM pg_get_keywords() WHERE catcode = 'R'` lists them;
// - unquoted names in lower case; string literals in single quotes, never double;
// - a column's type or constraints are never changed in place (SQLite cannot): make a new
//   table, copy the rows over and rename it; ALTER TABLE ... ADD COLUMN is fine on both;
// - no server-specific words or functions (AUTOINCREMENT, strftime, now(), ILIKE);
// - no ';' inside a literal or a comment: the files are cut into statements at each ';'.
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
