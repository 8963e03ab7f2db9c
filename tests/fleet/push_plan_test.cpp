// Which records a push sends to a scale, from the price list and what is recorded of the
// scale's table.
#include "fleet/push_plan.h"

#include <gtest/gtest.h>

namespace keldaro::fleet {
namespace {

// The list: PLU 0 (a negative price, which PLU 0 keeps as a record), 1 and 2 as recorded
// below, 3 changed, 4 emptying its slot.
const PriceListRecords kList = {{0, {QStringLiteral("p0"), false}},
                                {1, {QStringLiteral("a1"), false}},
                                {2, {QStringLiteral("a2"), false}},
                                {3, {QStringLiteral("new3"), false}},
                                {4, {QStringLiteral("gone4"), true}}};
const PluRecords kHeld = {{0, QStringLiteral("p0")},
                          {1, QStringLiteral("a1")},
                          {2, QStringLiteral("a2")},
                          {3, QStringLiteral("old3")},
                          {9, QStringLiteral("a9")}};

// Tables recorded of slots 4 only, and of 0 and 7 only.
const PluRecords kHeldSlot4 = {{4, QStringLiteral("x")}};
const PluRecords kHeldZeroAndSeven = {{0, QStringLiteral("p0")}, {7, QStringLiteral("a7")}};

struct PlanCase {
  const char* what;
  bool whole;              // the recorded table is the whole table
  const PluRecords* held;  // the records recorded; none when null
  PushChoice choice;
  std::vector<int> send;
  std::vector<int> empty;
};

TEST(PushPlanTest, SendsWhatDiffersFromTheRecordedTable) {
  const std::vector<PlanCase> cases = {
      {"nothing recorded: every record", false, nullptr, {}, {0, 1, 2, 3, 4}, {}},
      // Recorded slots only: a slot without a record may hold anything, so 4 is emptied.
      {"sends recorded as acknowledged", false, &kHeld, {}, {3, 4}, {}},
      {"whole table: 4 is empty already", true, &kHeld, {}, {3}, {}},
      {"whole table, slot 4 held", true, &kHeldSlot4, {}, {0, 1, 2, 3, 4}, {}},
      {"--all", true, &kHeld, {.all = true}, {0, 1, 2, 3, 4}, {}},
      {"--clear-missing empties 9", true, &kHeld, {.clear_missing = true}, {3}, {9}},
      {"--clear-missing never empties PLU 0",
       true,
       &kHeldZeroAndSeven,
       {.clear_missing = true},
       {1, 2, 3},
       {7}},
  };
  for (const PlanCase& c : cases) {
    SCOPED_TRACE(c.what);
    const RecordedTable recorded{c.whole, c.held ? *c.held : PluRecords{}};
    const PushPlan plan = PlanPush(kList, recorded, c.choice);
    EXPECT_FALSE(plan.needs_whole_table);
    EXPECT_EQ(plan.send, c.send);
    EXPECT_EQ(plan.empty, c.empty);
  }
}

TEST(PushPlanTest, ClearingMissingSlotsNeedsTheWholeTable) {
  const PushPlan plan = PlanPush(kList, {false, kHeld}, {.clear_missing = true});
  EXPECT_TRUE(plan.needs_whole_table);
  EXPECT_EQ(plan.Count(), 0u);
}

}  // namespace
}  // namespace keldaro::fleet
