// The database servers the fleet's tests run against, each handing out fresh empty databases,
// so that one suite proves the fleet on every server it supports.
#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <functional>
#include <string>
#include <vector>

namespace keldaro::test {

struct FleetBackend {
  std::string name;  // the suffix of the test names: "sqlite"
  // The --db text of a new empty database; `folder` is the test's own temporary folder.
  std::function<std::string(const QString& folder)> fresh_database;
};

inline std::vector<FleetBackend> FleetBackends() {
  return {{"sqlite", [](const QString& folder) {
             return (folder + QStringLiteral("/fleet.sqlite")).toStdString();
           }}};
}

// For INSTANTIATE_TEST_SUITE_P(Servers, Suite, ValuesIn(FleetBackends()), FleetBackendName).
inline std::string FleetBackendName(const ::testing::TestParamInfo<FleetBackend>& info) {
  return info.param.name;
}

}  // namespace keldaro::test
