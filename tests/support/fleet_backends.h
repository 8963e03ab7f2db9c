// The database servers the fleet's tests run against, each handing out fresh empty databases,
// so that one suite proves the fleet on every server it supports.
#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "fleet/fleet_database.h"
#include "support/postgres_server.h"

namespace keldaro::test {

struct FleetBackend {
  std::string name;  // the suffix of the test names: "sqlite", "postgresql"
  // The --db text of a new empty database; `folder` is the test's own temporary folder (which
  // need not exist yet). Empty, with a test failure, when the server cannot be had.
  std::function<std::string(const QString& folder)> fresh_database;
};

// Names the backend in the test names ctest lists (GoogleTest would print its bytes).
inline void PrintTo(const FleetBackend& backend, std::ostream* out) { *out << backend.name; }

inline std::vector<FleetBackend> FleetBackends() {
  return {{"sqlite",
           [](const QString& folder) {
             return (folder + QStringLiteral("/fleet.sqlite")).toStdString();
           }},
          {"postgresql", [](const QString&) { return ThePostgresServer().FreshDatabase(); }}};
}

// The database `db` (a --db text) names, opened as the fleet verbs open it; nothing, with the
// reason in `error`, when it cannot be.
inline std::unique_ptr<fleet::FleetDatabase> OpenDatabase(const std::string& db, QString& error) {
  const std::optional<fleet::DatabaseTarget> target =
      fleet::ParseDatabaseTarget(QString::fromStdString(db), error);
  return target ? fleet::FleetDatabase::Open(*target, error) : nullptr;
}

// For INSTANTIATE_TEST_SUITE_P(Servers, Suite, ValuesIn(FleetBackends()), FleetBackendName).
inline std::string FleetBackendName(const ::testing::TestParamInfo<FleetBackend>& info) {
  return info.param.name;
}

}  // namespace keldaro::test
