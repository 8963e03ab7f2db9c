// The journal's rows as they are read back, and the identity check of a fleet scale.
#include "fleet/journal.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "fleet/fleet_database.h"
#include "fleet/scale_identity.h"
#include "support/fleet_backends.h"

namespace keldaro::fleet {
namespace {

class JournalTest : public ::testing::TestWithParam<test::FleetBackend> {};

INSTANTIATE_TEST_SUITE_P(Servers, JournalTest, ::testing::ValuesIn(test::FleetBackends()),
                         test::FleetBackendName);

TEST_P(JournalTest, EntriesComeBackOldestFirstAndByScale) {
  QTemporaryDir dir;
  QString error;
  const auto database = test::OpenDatabase(GetParam().fresh_database(dir.path()), error);
  ASSERT_TRUE(database) << error.toStdString();
  for (const JournalEntry& entry : {NewJournalEntry(QStringLiteral("b"), QStringLiteral("push"),
                                                    true, QStringLiteral("sent 2 of 2")),
                                    NewJournalEntry(QStringLiteral("a"), QStringLiteral("push"),
                                                    false, QStringLiteral("timed out")),
                                    NewJournalEntry({}, QStringLiteral("add"), true, {})}) {
    ASSERT_TRUE(AddJournalEntry(database->Connection(), entry, error)) << error.toStdString();
  }
  const auto all = ListJournal(database->Connection(), {}, error);
  ASSERT_TRUE(all) << error.toStdString();
  ASSERT_EQ(all->size(), 3u);
  EXPECT_EQ((*all)[0].scale, QStringLiteral("b"));
  EXPECT_EQ((*all)[2].verb, QStringLiteral("add"));
  EXPECT_FALSE((*all)[2].user.isEmpty());
  EXPECT_TRUE((*all)[0].at.endsWith(QLatin1Char('Z')));

  const auto of_a = ListJournal(database->Connection(), QStringLiteral("a"), error);
  ASSERT_TRUE(of_a && of_a->size() == 1u);
  EXPECT_FALSE(of_a->front().ok);
  EXPECT_EQ(of_a->front().outcome, QStringLiteral("timed out"));
}

TEST(ScaleIdentityTest, RecordedIdentityDecides) {
  struct Case {
    const char* recorded;
    const char* answered;
    bool accept;
    IdentityVerdict verdict;
  };
  for (const Case& c : {Case{"", "S1", false, IdentityVerdict::kFirstContact},
                        Case{"S1", "S1", false, IdentityVerdict::kSame},
                        Case{"S1", "S2", false, IdentityVerdict::kOther},
                        Case{"S1", "S2", true, IdentityVerdict::kAcceptedOther}}) {
    EXPECT_EQ(
        JudgeIdentity(QString::fromLatin1(c.recorded), QString::fromLatin1(c.answered), c.accept),
        c.verdict)
        << c.recorded << " / " << c.answered;
  }
}

}  // namespace
}  // namespace keldaro::fleet
