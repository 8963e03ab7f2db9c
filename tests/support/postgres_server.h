// The PostgreSQL server the fleet tests run against, started by tests/support/postgres_server.sh.
// Under ctest one server serves the whole run (a fixture starts it and names its state file in
// $KELDARO_TEST_POSTGRES); a test binary run by hand starts its own and stops it when it ends.
// Each test gets a database of its own on it, dropped when the binary ends.
#pragma once

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QTemporaryDir>
#include <QUuid>
#include <memory>
#include <string>

namespace keldaro::test {

class PostgresServer : public ::testing::Environment {
 public:
  // The --db text of a new empty database on the server; empty, with a test failure saying
  // why, when there is no server to be had.
  std::string FreshDatabase() {
    if (!Connected()) {
      ADD_FAILURE() << problem_;
      return {};
    }
    const QString name = QStringLiteral("fleet_") + QUuid::createUuid().toString(QUuid::Id128);
    QSqlQuery query(QSqlDatabase::database(kAdminConnection, false));
    if (!query.exec(QStringLiteral("CREATE DATABASE ") + name)) {
      ADD_FAILURE() << "CREATE DATABASE: " << query.lastError().text().toStdString();
      return {};
    }
    databases_ << name;
    return QStringLiteral("postgresql://%1@127.0.0.1:%2/%3")
        .arg(user_)
        .arg(port_)
        .arg(name)
        .toStdString();
  }

  void TearDown() override {
    if (QSqlDatabase::contains(kAdminConnection)) {
      {
        QSqlQuery query(QSqlDatabase::database(kAdminConnection, false));
        for (const QString& name : databases_) {
          query.exec(QStringLiteral("DROP DATABASE %1 WITH (FORCE)").arg(name));
        }
      }
      QSqlDatabase::removeDatabase(kAdminConnection);
    }
    if (own_state_) RunScript(QStringLiteral("stop"), own_state_->filePath(kStateName));
  }

 private:
  static constexpr const char* kAdminConnection = "keldaro-test-postgres-admin";
  static constexpr const char* kStateName = "server";

  // Runs the server script; false, with its standard error in `problem_`, when it fails.
  bool RunScript(const QString& verb, const QString& state) {
    QProcess script;
    script.start(QStringLiteral("bash"),
                 {QStringLiteral(KELDARO_POSTGRES_SERVER_SCRIPT), verb, state});
    if (script.waitForFinished(120000) && script.exitStatus() == QProcess::NormalExit &&
        script.exitCode() == 0) {
      return true;
    }
    problem_ = "tests/support/postgres_server.sh " + verb.toStdString() +
               " failed: " + script.readAllStandardError().trimmed().toStdString();
    return false;
  }

  // The state file of the ctest run's server, or of one started now for this process.
  QString StateFile() {
    const QString shared = qEnvironmentVariable("KELDARO_TEST_POSTGRES");
    if (!shared.isEmpty()) return shared;
    own_state_ = std::make_unique<QTemporaryDir>();
    const QString state = own_state_->filePath(kStateName);
    return RunScript(QStringLiteral("start"), state) ? state : QString();
  }

  // Opens the connection that makes and drops the test databases, on first use.
  bool Connected() {
    if (tried_) return QSqlDatabase::contains(kAdminConnection);
    tried_ = true;
    const QString state = StateFile();
    if (state.isEmpty()) return false;
    QFile file(state);
    if (!file.open(QIODevice::ReadOnly)) {
      problem_ = "no PostgreSQL test server: " + state.toStdString() + " cannot be read";
      return false;
    }
    const QStringList fields = QString::fromUtf8(file.readAll()).split(QLatin1Char(' '));
    port_ = fields.value(0).toInt();
    user_ = fields.value(1);
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL"))) {
      problem_ = "Qt's PostgreSQL driver is not installed: run scripts/setup.sh";
      return false;
    }
    QSqlDatabase admin = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), kAdminConnection);
    admin.setHostName(QStringLiteral("127.0.0.1"));
    admin.setPort(port_);
    admin.setUserName(user_);
    admin.setDatabaseName(QStringLiteral("postgres"));
    if (admin.open()) return true;
    problem_ =
        "the PostgreSQL test server does not answer: " + admin.lastError().text().toStdString();
    admin = QSqlDatabase();
    QSqlDatabase::removeDatabase(kAdminConnection);
    return false;
  }

  bool tried_ = false;
  std::string problem_;
  std::unique_ptr<QTemporaryDir> own_state_;  // set when this process started its own server
  int port_ = 0;
  QString user_;
  QStringList databases_;
};

// The one server of this process, registered with GoogleTest so that it is cleaned up after the
// last test.
inline PostgresServer& ThePostgresServer() {
  static PostgresServer* const server = [] {
    auto* made = new PostgresServer;
    ::testing::AddGlobalTestEnvironment(made);  // GoogleTest owns it from here
    return made;
  }();
  return *server;
}

}  // namespace keldaro::test
