#include "fleet/plu_state.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariantList>

namespace keldaro::fleet {
namespace {

// Runs `statement` with `values` bound in order; false with the database's reason in `error`.
bool Exec(QSqlDatabase db, const QString& statement, const QVariantList& values, QString& error) {
  QSqlQuery query(db);
  query.prepare(statement);
  for (const QVariant& value : values) query.addBindValue(value);
  if (query.exec()) return true;
  error = query.lastError().text();
  return false;
}

bool SetWholeTable(QSqlDatabase db, const QString& scale, bool whole, QString& error) {
  return Exec(db, QStringLiteral("UPDATE scales SET plu_table_read = ? WHERE name = ?"),
              {whole ? 1 : 0, scale}, error);
}

bool DeleteRecord(QSqlDatabase db, const QString& scale, int number, QString& error) {
  return Exec(db, QStringLiteral("DELETE FROM plu_state WHERE scale = ? AND plu = ?"),
              {scale, number}, error);
}

bool InsertRecord(QSqlDatabase db, const QString& scale, int number, const QString& request,
                  QString& error) {
  return Exec(db, QStringLiteral("INSERT INTO plu_state (scale, plu, request) VALUES (?, ?, ?)"),
              {scale, number, request}, error);
}

}  // namespace

std::optional<RecordedTable> LoadRecordedTable(QSqlDatabase db, const QString& scale,
                                               QString& error) {
  RecordedTable table;
  QSqlQuery query(db);
  query.prepare(QStringLiteral("SELECT plu_table_read FROM scales WHERE name = ?"));
  query.addBindValue(scale);
  if (!query.exec()) {
    error = query.lastError().text();
    return std::nullopt;
  }
  table.whole = query.next() && query.value(0).toInt() != 0;
  query.prepare(QStringLiteral("SELECT plu, request FROM plu_state WHERE scale = ?"));
  query.addBindValue(scale);
  if (!query.exec()) {
    error = query.lastError().text();
    return std::nullopt;
  }
  while (query.next()) table.records[query.value(0).toInt()] = query.value(1).toString();
  return table;
}

bool ReplaceRecordedTable(QSqlDatabase db, const QString& scale, const PluRecords& records,
                          QString& error) {
  if (!ForgetRecordedTable(db, scale, error)) return false;
  for (const auto& [number, request] : records) {
    if (!InsertRecord(db, scale, number, request, error)) return false;
  }
  return SetWholeTable(db, scale, true, error);
}

bool RecordWrites(QSqlDatabase db, const QString& scale, const PluRecords& written,
                  const std::vector<int>& emptied, QString& error) {
  for (const auto& [number, request] : written) {
    if (!DeleteRecord(db, scale, number, error) ||
        !InsertRecord(db, scale, number, request, error)) {
      return false;
    }
  }
  for (int number : emptied) {
    if (!DeleteRecord(db, scale, number, error)) return false;
  }
  return true;
}

bool ForgetRecordedTable(QSqlDatabase db, const QString& scale, QString& error) {
  return Exec(db, QStringLiteral("DELETE FROM plu_state WHERE scale = ?"), {scale}, error) &&
         SetWholeTable(db, scale, false, error);
}

bool AddPriceList(QSqlDatabase db, const PriceListEntry& entry, QString& error) {
  return Exec(db,
              QStringLiteral("INSERT INTO price_lists (at, file_name, sha256, records, user_name, "
                             "host) VALUES (?, ?, ?, ?, ?, ?)"),
              {entry.at, entry.file_name, entry.sha256, entry.records, entry.user, entry.host},
              error);
}

}  // namespace keldaro::fleet
