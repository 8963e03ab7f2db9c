#include "fleet/migrations.h"

#include <gtest/gtest.h>

#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>

#include "fleet/fleet_database.h"
#include "support/fleet_backends.h"

namespace keldaro::fleet {
namespace {

class MigrationsTest : public ::testing::TestWithParam<test::FleetBackend> {
 protected:
  std::unique_ptr<FleetDatabase> Open(QString& error) { return test::OpenDatabase(db_, error); }
  static QList<int> SchemaVersions(FleetDatabase& database) {
    QSqlQuery query(database.Connection());
    query.exec(QStringLiteral("SELECT version FROM schema_version"));
    QList<int> versions;
    while (query.next()) versions << query.value(0).toInt();
    return versions;
  }

  QTemporaryDir dir_;
  // An SQLite file's folder is not there yet: opening makes it.
  std::string db_ = GetParam().fresh_database(dir_.filePath(QStringLiteral("sub")));
};

INSTANTIATE_TEST_SUITE_P(Servers, MigrationsTest, ::testing::ValuesIn(test::FleetBackends()),
                         test::FleetBackendName);

TEST(BuiltInMigrationsTest, FilesAreNumberedFromOneWithoutGaps) {
  const std::vector<Migration> migrations = BuiltInMigrations();
  ASSERT_FALSE(migrations.empty());
  for (std::size_t i = 0; i < migrations.size(); ++i) {
    EXPECT_EQ(migrations[i].number, static_cast<int>(i) + 1) << migrations[i].name.toStdString();
  }
}

TEST_P(MigrationsTest, NewDatabaseGetsEverySchemaAndAReopenAppliesNothing) {
  const int latest = BuiltInMigrations().back().number;
  QString error;
  {
    auto database = Open(error);
    ASSERT_TRUE(database) << error.toStdString();
    EXPECT_EQ(SchemaVersions(*database), QList<int>{latest});
    EXPECT_TRUE(database->Connection().tables().contains(QStringLiteral("scales")));
  }
  auto database = Open(error);
  ASSERT_TRUE(database) << error.toStdString();
  QSqlDatabase db = database->Connection();
  const MigrationResult again = Migrate(db, BuiltInMigrations());
  EXPECT_TRUE(again.ok) << again.error.toStdString();
  EXPECT_EQ(again.from, latest);
  EXPECT_EQ(again.to, latest);
}

TEST_P(MigrationsTest, ProgramsOpeningANewDatabaseAtOnceMigrateItOnce) {
  constexpr int kPrograms = 4;
  std::vector<std::unique_ptr<QThread>> programs;
  QString errors[kPrograms];
  for (int i = 0; i < kPrograms; ++i) {
    // Qt SQL connections belong to the thread that made them: each opens and closes its own.
    programs.emplace_back(QThread::create([&, i] { Open(errors[i]); }));
    programs.back()->start();
  }
  for (const auto& program : programs) program->wait();
  for (const QString& error : errors) EXPECT_TRUE(error.isEmpty()) << error.toStdString();
  QString error;
  auto database = Open(error);
  ASSERT_TRUE(database) << error.toStdString();
  EXPECT_EQ(SchemaVersions(*database), QList<int>{BuiltInMigrations().back().number});
}

TEST_P(MigrationsTest, NewerSchemaIsRefused) {
  QString error;
  {
    auto database = Open(error);
    ASSERT_TRUE(database) << error.toStdString();
    QSqlQuery(database->Connection())
        .exec(QStringLiteral("UPDATE schema_version SET version = 99"));
  }
  EXPECT_FALSE(Open(error));
  EXPECT_TRUE(error.contains(QStringLiteral("schema version 99, newer than this program knows")))
      << error.toStdString();
}

TEST_P(MigrationsTest, FailingMigrationRollsBackTheWholeUpgrade) {
  QString error;
  auto database = Open(error);
  ASSERT_TRUE(database) << error.toStdString();
  QSqlDatabase db = database->Connection();
  std::vector<Migration> migrations = BuiltInMigrations();
  const int before = migrations.back().number;
  migrations.push_back({before + 1, QStringLiteral("new_table.sql"),
                        QStringLiteral("CREATE TABLE added (x INTEGER);\nNOT SQL AT ALL;")});
  const MigrationResult result = Migrate(db, migrations);
  EXPECT_FALSE(result.ok);
  EXPECT_TRUE(result.error.startsWith(QStringLiteral("new_table.sql: ")))
      << result.error.toStdString();
  EXPECT_EQ(SchemaVersions(*database), QList<int>{before});
  EXPECT_FALSE(db.tables().contains(QStringLiteral("added")));
}

}  // namespace
}  // namespace keldaro::fleet
