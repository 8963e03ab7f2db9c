// What a push sends to one scale: the records of the price list that differ from what the
// scale holds as recorded, and with --clear-missing the slots it holds that the list lacks.
// Pure: records in, PLU numbers out.
#pragma once

#include <QString>
#include <map>
#include <optional>
#include <vector>

namespace keldaro::fleet {

// Records by PLU number, each as its write request in hex.
using PluRecords = std::map<int, QString>;

// What the fleet knows of a scale's PLU table: the records read from it or acknowledged by it,
// and whether they are the whole table (a slot without a record is empty) or only those slots.
struct RecordedTable {
  bool whole = false;
  PluRecords records;
};

// A record of the price list: its write request, and whether it empties its slot (a negative
// price on any PLU but 0, which the scale always holds).
struct ListedRecord {
  QString request;
  bool empties = false;
};
using PriceListRecords = std::map<int, ListedRecord>;

struct PushChoice {
  bool all = false;            // every record of the list, recorded or not
  bool clear_missing = false;  // also empty the slots the list does not hold
};

struct PushPlan {
  // Emptying the slots the list lacks was asked while the scale's whole table is not known:
  // nothing is planned rather than slots left holding what nobody recorded.
  bool needs_whole_table = false;
  std::vector<int> send;   // the list's records to send, by rising PLU number
  std::vector<int> empty;  // the slots to empty, by rising PLU number

  std::size_t Count() const { return send.size() + empty.size(); }
};

// A record is sent unless the recorded table holds it as it stands; a record that empties its
// slot is also skipped when the whole table is known and that slot is empty.
PushPlan PlanPush(const PriceListRecords& list, const RecordedTable& recorded, PushChoice choice);

}  // namespace keldaro::fleet
