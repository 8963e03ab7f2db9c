#include "fleet/push_plan.h"

namespace keldaro::fleet {

PushPlan PlanPush(const PriceListRecords& list, const RecordedTable& recorded, PushChoice choice) {
  PushPlan plan;
  if (choice.clear_missing && !recorded.whole) {
    plan.needs_whole_table = true;
    return plan;
  }
  for (const auto& [number, record] : list) {
    const auto held = recorded.records.find(number);
    const bool known_empty = recorded.whole && held == recorded.records.end();
    const bool same = record.empties
                          ? known_empty
                          : held != recorded.records.end() && held->second == record.request;
    if (choice.all || !same) plan.send.push_back(number);
  }
  if (choice.clear_missing) {
    for (const auto& [number, request] : recorded.records) {
      // PLU 0 has no empty state: the scale always holds it.
      if (number != 0 && !list.contains(number)) plan.empty.push_back(number);
    }
  }
  return plan;
}

}  // namespace keldaro::fleet
