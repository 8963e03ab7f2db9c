#include "fleet/report_store.h"

#include <QSqlError>
#include <QSqlQuery>
#include <map>
#include <type_traits>
#include <utility>

namespace keldaro::fleet {
namespace {

using reports::ClerkTotals;

template <auto member>
ClerkField Field(const char* name, bool amount) {
  using Value = std::remove_reference_t<decltype(std::declval<ClerkTotals&>().*member)>;
  return {name, amount, [](const ClerkTotals& c) -> std::int64_t { return c.*member; },
          [](ClerkTotals& c, std::int64_t value) { c.*member = static_cast<Value>(value); }};
}

// "tax_1, tax_2, ..., tax_9".
QString TaxColumns() {
  QStringList columns;
  for (int rate = 1; rate <= reports::kTaxRates; ++rate)
    columns << QStringLiteral("tax_%1").arg(rate);
  return columns.join(QStringLiteral(", "));
}

QString ClerkColumns() {
  QStringList columns;
  for (const ClerkField& field : ClerkFields()) columns << QLatin1String(field.name);
  return columns.join(QStringLiteral(", "));
}

// "?, ?, ?" for `count` values.
QString Placeholders(qsizetype count) {
  QStringList marks;
  for (qsizetype i = 0; i < count; ++i) marks << QStringLiteral("?");
  return marks.join(QStringLiteral(", "));
}

bool Run(QSqlQuery& query, const QVariantList& values, QString& error) {
  for (const QVariant& value : values) query.addBindValue(value);
  if (query.exec()) return true;
  error = query.lastError().text();
  return false;
}

// The downloads `ListReports` chooses: " WHERE ..." (empty for all) and its values.
struct Choice {
  QString where;
  QVariantList values;
};

Choice ChoiceOf(const QStringList& scales, const QString& since) {
  QStringList conditions;
  Choice choice;
  if (!scales.isEmpty()) {
    conditions << QStringLiteral("scale IN (%1)").arg(Placeholders(scales.size()));
    for (const QString& scale : scales) choice.values << scale;
  }
  if (!since.isEmpty()) {
    conditions << QStringLiteral("at >= ?");
    choice.values << since;
  }
  if (!conditions.isEmpty()) {
    choice.where = QStringLiteral(" WHERE ") + conditions.join(QStringLiteral(" AND "));
  }
  return choice;
}

}  // namespace

const std::vector<ClerkField>& ClerkFields() {
  static const std::vector<ClerkField> fields = {
      Field<&ClerkTotals::customers>("customers", false),
      Field<&ClerkTotals::transactions>("transactions", false),
      Field<&ClerkTotals::sales>("sales", true),
      Field<&ClerkTotals::void_count>("void_count", false),
      Field<&ClerkTotals::void_amount>("void_amount", true),
      Field<&ClerkTotals::discount_count>("discount_count", false),
      Field<&ClerkTotals::discount_amount>("discount_amount", true),
      Field<&ClerkTotals::cash>("cash", true),
      Field<&ClerkTotals::credit>("credit", true),
  };
  return fields;
}

bool StoreReport(QSqlDatabase db, const StoredReport& report, QString& error) {
  const reports::Totals& t = report.totals;
  QSqlQuery query(db);
  query.prepare(QStringLiteral("INSERT INTO report_downloads (scale, at, document_number, total, "
                               "%1) VALUES (%2)")
                    .arg(TaxColumns(), Placeholders(4 + reports::kTaxRates)));
  QVariantList values{report.scale, report.at, t.document_number, t.total};
  for (std::int32_t tax : t.taxes) values << tax;
  if (!Run(query, values, error)) return false;
  const QVariant id = query.lastInsertId();
  if (!id.isValid()) {
    error = QStringLiteral("the database did not say the number of the new download");
    return false;
  }

  query.prepare(QStringLiteral(
      "INSERT INTO report_hours (download_id, hour, sales_count, amount) VALUES (?, ?, ?, ?)"));
  for (int hour = 0; hour < reports::kHours; ++hour) {
    if (!Run(query, {id, hour, int{t.hour_counts[hour]}, t.hour_amounts[hour]}, error))
      return false;
  }

  query.prepare(QStringLiteral("INSERT INTO report_clerks (download_id, clerk, %1) VALUES (%2)")
                    .arg(ClerkColumns(), Placeholders(2 + ClerkFields().size())));
  for (std::size_t k = 0; k < report.clerks.size(); ++k) {
    QVariantList clerk{id, static_cast<int>(k) + 1};
    for (const ClerkField& field : ClerkFields()) {
      clerk << static_cast<qlonglong>(field.get(report.clerks[k]));
    }
    if (!Run(query, clerk, error)) return false;
  }
  return true;
}

std::optional<std::vector<StoredReport>> ListReports(QSqlDatabase db, const QStringList& scales,
                                                     const QString& since, QString& error) {
  const Choice choice = ChoiceOf(scales, since);
  QSqlQuery query(db);
  query.prepare(QStringLiteral("SELECT id, scale, at, document_number, total, %1 "
                               "FROM report_downloads%2 ORDER BY scale, id")
                    .arg(TaxColumns(), choice.where));
  if (!Run(query, choice.values, error)) return std::nullopt;
  std::vector<StoredReport> downloads;
  std::map<qlonglong, std::size_t> by_id;  // a download's place in `downloads`
  while (query.next()) {
    StoredReport report{query.value(1).toString(), query.value(2).toString(), {}, {}};
    report.totals.document_number = query.value(3).toInt();
    report.totals.total = query.value(4).toInt();
    for (int i = 0; i < reports::kTaxRates; ++i)
      report.totals.taxes[i] = query.value(5 + i).toInt();
    by_id[query.value(0).toLongLong()] = downloads.size();
    downloads.push_back(std::move(report));
  }

  // The hours and clerks of the chosen downloads; a download added meanwhile is not among them.
  const QString chosen_ids =
      QStringLiteral("download_id IN (SELECT id FROM report_downloads%1)").arg(choice.where);
  query.prepare(
      QStringLiteral("SELECT download_id, hour, sales_count, amount FROM report_hours WHERE %1")
          .arg(chosen_ids));
  if (!Run(query, choice.values, error)) return std::nullopt;
  while (query.next()) {
    const auto found = by_id.find(query.value(0).toLongLong());
    const int hour = query.value(1).toInt();
    if (found == by_id.end() || hour < 0 || hour >= reports::kHours) continue;
    reports::Totals& t = downloads[found->second].totals;
    t.hour_counts[hour] = static_cast<std::uint16_t>(query.value(2).toInt());
    t.hour_amounts[hour] = query.value(3).toInt();
  }

  query.prepare(QStringLiteral("SELECT download_id, clerk, %1 FROM report_clerks WHERE %2 "
                               "ORDER BY download_id, clerk")
                    .arg(ClerkColumns(), chosen_ids));
  if (!Run(query, choice.values, error)) return std::nullopt;
  while (query.next()) {
    const auto found = by_id.find(query.value(0).toLongLong());
    if (found == by_id.end()) continue;
    ClerkTotals clerk;
    for (std::size_t f = 0; f < ClerkFields().size(); ++f) {
      ClerkFields()[f].set(clerk, query.value(2 + static_cast<int>(f)).toLongLong());
    }
    downloads[found->second].clerks.push_back(clerk);
  }
  return downloads;
}

}  // namespace keldaro::fleet
