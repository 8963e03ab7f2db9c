// One open connection to the fleet database, its schema brought up to date on opening.
#pragma once

#include <QSqlDatabase>
#include <QString>
#include <memory>

#include "fleet/database_target.h"

namespace keldaro::fleet {

class FleetDatabase {
 public:
  // Opens `target`, creating an SQLite file and its folder on first use, and applies the
  // migrations it lacks. Nothing, with the reason in `error`, when it cannot be opened or its
  // schema is newer than this program's.
  static std::unique_ptr<FleetDatabase> Open(const DatabaseTarget& target, QString& error);
  ~FleetDatabase();
  FleetDatabase(const FleetDatabase&) = delete;
  FleetDatabase& operator=(const FleetDatabase&) = delete;

  QSqlDatabase Connection() const;

 private:
  explicit FleetDatabase(QString connection_name);

  // Qt SQL keeps connections by name; each FleetDatabase has one of its own.
  QString connection_name_;
};

}  // namespace keldaro::fleet
