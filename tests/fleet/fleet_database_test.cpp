// What opening a fleet database on a server says when the server cannot be used.
#include "fleet/fleet_database.h"

#include <gtest/gtest.h>

#include "support/fleet_backends.h"

namespace keldaro::fleet {
namespace {

TEST(FleetDatabaseTest, UnusableServerIsNamedWithTheServersReason) {
  QString error;
  const std::optional<DatabaseTarget> running =
      ParseDatabaseTarget(QString::fromStdString(test::ThePostgresServer().FreshDatabase()), error);
  ASSERT_TRUE(running) << error.toStdString();
  const struct {
    const char* what;
    std::function<void(DatabaseTarget&)> change;
    const char* reason_holds;
  } cases[] = {
      // Nothing listens on port 1 of this computer (only root may, and nothing does).
      {"no server on the port", [](DatabaseTarget& t) { t.port = 1; }, "Connection refused"},
      {"no such database", [](DatabaseTarget& t) { t.name = QStringLiteral("nope"); },
       "database \"nope\" does not exist"},
      {"no such user", [](DatabaseTarget& t) { t.user = QStringLiteral("kasiyer"); },
       "role \"kasiyer\" does not exist"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    DatabaseTarget target = *running;
    c.change(target);
    EXPECT_FALSE(FleetDatabase::Open(target, error));
    EXPECT_TRUE(error.startsWith(target.Text() + QStringLiteral(": ")) &&
                error.contains(QLatin1String(c.reason_holds)))
        << error.toStdString();
  }
}

}  // namespace
}  // namespace keldaro::fleet
