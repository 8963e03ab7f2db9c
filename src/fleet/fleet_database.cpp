#include "fleet/fleet_database.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <atomic>

#include "fleet/migrations.h"

namespace keldaro::fleet {
namespace {

// How long a writer waits for another program's write to the same SQLite file to end.
constexpr int kSqliteBusyWaitMs = 10000;
// How long a PostgreSQL server that does not answer is waited for, in seconds.
constexpr int kPostgresConnectWaitS = 10;

QString NewConnectionName() {
  static std::atomic<int> opened{0};
  return QStringLiteral("keldaro-fleet-%1").arg(++opened);
}

struct Driver {
  QString name;
  QString missing;  // what to say when Qt has no such driver
};

Driver DriverFor(const DatabaseTarget& target) {
  if (target.kind == DatabaseTarget::Kind::kSqlite) {
    return {QStringLiteral("QSQLITE"),
            QStringLiteral("Qt's SQLite driver is not installed (Debian: libqt6sql6-sqlite)")};
  }
  return {QStringLiteral("QPSQL"),
          QStringLiteral("Qt's PostgreSQL driver is not installed (Debian: libqt6sql6-psql)")};
}

// Points `db` at `target`. No password is set for a server: libpq takes it from PGPASSWORD or
// ~/.pgpass itself. Notices (a table that already exists, say) stay on the server, not on our
// standard error.
void Aim(QSqlDatabase& db, const DatabaseTarget& target) {
  if (target.kind == DatabaseTarget::Kind::kSqlite) {
    db.setDatabaseName(target.path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kSqliteBusyWaitMs));
    return;
  }
  db.setHostName(target.host);
  db.setPort(target.port);
  db.setUserName(target.user);
  db.setDatabaseName(target.name);
  db.setConnectOptions(QStringLiteral("connect_timeout=%1;options=-cclient_min_messages=warning")
                           .arg(kPostgresConnectWaitS));
}

// Sets an SQLite file to keep its changes in a write-ahead log, synced at checkpoints rather
// than at every commit: the runs of a push each commit what their scale acknowledged, and with
// the default rollback journal fifty scales' commits queue behind one disk sync each. Readers
// then never wait for a writer either. A power cut can lose the last commits, never corrupt the
// file; the log needs the file on a local disk (a fleet shared by several PCs is PostgreSQL's).
bool UseWriteAheadLog(QSqlDatabase& db, QString& error) {
  QSqlQuery query(db);
  if (query.exec(QStringLiteral("PRAGMA journal_mode=WAL")) &&
      query.exec(QStringLiteral("PRAGMA synchronous=NORMAL"))) {
    return true;
  }
  error = query.lastError().text();
  return false;
}

// The database's reason on one line (libpq's spans several, indented).
QString ReasonOf(const QSqlError& error) {
  const QString reason = error.databaseText().simplified();
  return reason.isEmpty() ? error.text().simplified() : reason;
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
  const Driver driver = DriverFor(target);
  if (!QSqlDatabase::isDriverAvailable(driver.name)) {
    error = driver.missing;
    return nullptr;
  }
  if (target.kind == DatabaseTarget::Kind::kSqlite) {
    const QFileInfo file(target.path);
    if (!QDir().mkpath(file.absolutePath())) {
      error = QStringLiteral("the folder %1 cannot be made").arg(file.absolutePath());
      return nullptr;
    }
  }
  std::unique_ptr<FleetDatabase> database(new FleetDatabase(NewConnectionName()));
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(driver.name, database->connection_name_);
    Aim(db, target);
    if (!db.open()) {
      error = QStringLiteral("%1: %2").arg(target.Text(), ReasonOf(db.lastError()));
      return nullptr;
    }
    if (target.kind == DatabaseTarget::Kind::kSqlite && !UseWriteAheadLog(db, error)) {
      error = QStringLiteral("%1: %2").arg(target.Text(), error);
      return nullptr;
    }
    const MigrationResult migrated = Migrate(db, BuiltInMigrations());
    if (!migrated.ok) {
      error = QStringLiteral("%1: %2").arg(target.Text(), migrated.error);
      return nullptr;
    }
  }
  return database;
}

}  // namespace keldaro::fleet
