// Where the fleet database is: an SQLite file (the default, one PC) or a PostgreSQL server (a
// fleet shared by several PCs), as given by --db or $KELDARO_DB.
#pragma once

#include <QString>
#include <optional>

namespace keldaro::fleet {

struct DatabaseTarget {
  enum class Kind { kSqlite, kPostgresql };
  Kind kind = Kind::kSqlite;
  QString path{};  // the SQLite file
  // The PostgreSQL server; the password never comes from here (PGPASSWORD or ~/.pgpass).
  QString user{};
  QString host{};
  int port = 5432;
  QString name{};  // the database on the server

  // The target as the user would write it, for messages.
  QString Text() const;
};

// "postgresql://USER@HOST[:PORT]/NAME", or anything else that is not empty as an SQLite file's
// path. Nothing, with the reason in `error`, for an empty text or a PostgreSQL address missing
// a part, carrying a password or with a bad port.
std::optional<DatabaseTarget> ParseDatabaseTarget(const QString& text, QString& error);

// The database used without --db: $KELDARO_DB when set, else fleet.sqlite in keldaro's folder
// under $XDG_DATA_HOME, or under ~/.local/share when that is unset.
QString DefaultDatabaseText();

}  // namespace keldaro::fleet
