// The recorded PLU table of each scale in the fleet database, and the price lists pushed. The
// writers work inside the caller's transaction, so that what one scale's run records stands or
// falls with its journal row.
#pragma once

#include <QSqlDatabase>
#include <QString>
#include <optional>
#include <vector>

#include "fleet/push_plan.h"

namespace keldaro::fleet {

// What the fleet knows of `scale`'s PLU table. Nothing, with the reason in `error`, when the
// database fails.
std::optional<RecordedTable> LoadRecordedTable(QSqlDatabase db, const QString& scale,
                                               QString& error);

// After a pull: `records` is the scale's whole table.
bool ReplaceRecordedTable(QSqlDatabase db, const QString& scale, const PluRecords& records,
                          QString& error);

// After a push: `written` were acknowledged as sent, the slots `emptied` were acknowledged as
// emptied.
bool RecordWrites(QSqlDatabase db, const QString& scale, const PluRecords& written,
                  const std::vector<int>& emptied, QString& error);

// Another scale answers for `scale` (or it answered for the first time): nothing recorded of
// the table before stands.
bool ForgetRecordedTable(QSqlDatabase db, const QString& scale, QString& error);

struct PriceListEntry {
  QString at;  // UTC, ISO 8601 with milliseconds
  QString file_name;
  QString sha256;  // of the file's bytes, in hex
  int records = 0;
  QString user;
  QString host;
};

bool AddPriceList(QSqlDatabase db, const PriceListEntry& entry, QString& error);

}  // namespace keldaro::fleet
