#include "fleet/migrations.h"

#include <gtest/gtest.h>

#include <QSqlQuery>
#include <QTemporaryDir>

#include "fleet/fleet_database.h"

namespace keldaro::fleet {
namespace {

class MigrationsTest : public ::testing::Test {
 protected:
  std::unique_ptr<FleetDatabase> Open(QString& error) {
    return FleetDatabase::Open({.path = dir_.filePath(QStringLiteral("sub/fleet.sqlite"))}, error);
  }
  static int SchemaVersion(FleetDatabase& database) {
    QSqlQuery query(database.Connection());
    query.exec(QStringLiteral("SELECT version FROM schema_version"));
    return query.next() ? query.value(0).toInt() : -1;
  }

  QTemporaryDir dir_;
};

TEST_F(MigrationsTest, BuiltInFilesAreNumberedFromOneWithoutGaps) {
  const std::vector<Migration> migrations = BuiltInMigrations();
  ASSERT_FALSE(migrations.empty());
  for (std::size_t i = 0; i < migrations.size(); ++i) {
    EXPECT_EQ(migrations[i].number, static_cast<int>(i) + 1) << migrations[i].name.toStdString();
  }
}

TEST_F(MigrationsTest, NewFileGetsEverySchemaAndAReopenAppliesNothing) {
  const int latest = BuiltInMigrations().back().number;
  QString error;
  {
    auto database = Open(error);  // its folder is made too
    ASSERT_TRUE(database) << error.toStdString();
    EXPECT_EQ(SchemaVersion(*database), latest);
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

TEST_F(MigrationsTest, NewerSchemaIsRefused) {
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

TEST_F(MigrationsTest, FailingMigrationRollsBackTheWholeUpgrade) {
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
  EXPECT_EQ(SchemaVersion(*database), before);
  EXPECT_FALSE(db.tables().contains(QStringLiteral("added")));
}

}  // namespace
}  // namespace keldaro::fleet
