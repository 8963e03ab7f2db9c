#include "fleet/fleet_database.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <atomic>

#include "fleet/migrations.h"

namespace keldaro::fleet {
namespace {

// How long a writer waits for another program's write to the same SQLite file to end.
constexpr int kSqliteBusyWaitMs = 10000;

QString NewConnectionName() {
  static std::atomic<int> opened{0};
  return QStringLiteral("keldaro-fleet-%1").arg(++opened);
}

}  // namespace

FleetDatabase::FleetDatabase(QString connection_name)
    : connection_name_(std::move(connection_name)) {}

FleetDatabase::~FleetDatabase() {
  QSqlDatabase::database(connection_name_, false).close();
  QSqlDatabase::removeDatabase(connection_name_);
}

QSqlDatabase FleetDatabase::Connection() const {
  return QSqlDatabase::database(connection_name_, false);
}

std::unique_ptr<FleetDatabase> FleetDatabase::Open(const DatabaseTarget& target, QString& error) {
  if (target.kind == DatabaseTarget::Kind::kPostgresql) {
    error = QStringLiteral(
                "%1: PostgreSQL fleet databases are not supported yet; use an SQLite "
                "file")
                .arg(target.Text());
    return nullptr;
  }
  if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE"))) {
    error = QStringLiteral("Qt's SQLite driver is not installed (Debian: libqt6sql6-sqlite)");
    return nullptr;
  }
  const QFileInfo file(target.path);
  if (!QDir().mkpath(file.absolutePath())) {
    error = QStringLiteral("the folder %1 cannot be made").arg(file.absolutePath());
    return nullptr;
  }
  std::unique_ptr<FleetDatabase> database(new FleetDatabase(NewConnectionName()));
  {
    QSqlDatabase db =
        QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), database->connection_name_);
    db.setDatabaseName(target.path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kSqliteBusyWaitMs));
    if (!db.open()) {
      error = QStringLiteral("%1: %2").arg(target.path, db.lastError().text());
      return nullptr;
    }
    const MigrationResult migrated = Migrate(db, BuiltInMigrations());
    if (!migrated.ok) {
      error = QStringLiteral("%1: %2").arg(target.path, migrated.error);
      return nullptr;
    }
  }
  return database;
}

}  // namespace keldaro::fleet
