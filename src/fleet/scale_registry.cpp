#include "fleet/scale_registry.h"

#include <QSqlError>
#include <QSqlQuery>

namespace keldaro::fleet {
namespace {

const QLatin1Char kGroupSeparator(',');

// Qt SQL binds a null QString as NULL; the text columns are NOT NULL, empty meaning none.
QString NotNull(const QString& text) { return text.isNull() ? QStringLiteral("") : text; }

RegistryResult DatabaseError(const QSqlQuery& query) {
  return {RegistryStatus::kDatabaseError, query.lastError().text()};
}

FleetScale ScaleOfRow(const QSqlQuery& query) {
  const QString groups = query.value(3).toString();
  return {query.value(0).toString(), query.value(1).toString(), query.value(2).toInt(),
          groups.isEmpty() ? QStringList() : groups.split(kGroupSeparator),
          query.value(4).toString()};
}

constexpr const char* kSelectScales = "SELECT name, port, baud, groups, identity FROM scales";

// Runs an UPDATE or DELETE of the scale named `name` (bound last).
RegistryResult ChangeNamed(QSqlDatabase db, const QString& statement, QVariantList values) {
  QSqlQuery query(db);
  query.prepare(statement);
  for (const QVariant& value : values) query.addBindValue(value);
  if (!query.exec()) return DatabaseError(query);
  if (query.numRowsAffected() == 0) return {RegistryStatus::kNoSuchScale, {}};
  return {};
}

}  // namespace

QString GroupNameProblem(const QString& group) {
  if (group.trimmed().isEmpty()) return QStringLiteral("a group's name cannot be empty");
  if (group.contains(kGroupSeparator)) {
    return QStringLiteral("a group's name cannot hold a comma: '%1'").arg(group);
  }
  return {};
}

RegistryResult AddScale(QSqlDatabase db, const FleetScale& scale) {
  RegistryResult found;
  if (FindScale(db, scale.name, found)) return {RegistryStatus::kNameTaken, {}};
  if (found.status == RegistryStatus::kDatabaseError) return found;
  QSqlQuery query(db);
  query.prepare(QStringLiteral(
      "INSERT INTO scales (name, port, baud, groups, identity) VALUES (?, ?, ?, ?, ?)"));
  query.addBindValue(scale.name);
  query.addBindValue(scale.port);
  query.addBindValue(scale.baud);
  query.addBindValue(NotNull(scale.groups.join(kGroupSeparator)));
  query.addBindValue(NotNull(scale.identity));
  if (!query.exec()) return DatabaseError(query);
  return {};
}

RegistryResult UpdateScale(QSqlDatabase db, const FleetScale& scale) {
  return ChangeNamed(
      db,
      QStringLiteral("UPDATE scales SET port = ?, baud = ?, groups = ?, identity = ? "
                     "WHERE name = ?"),
      {scale.port, scale.baud, NotNull(scale.groups.join(kGroupSeparator)), NotNull(scale.identity),
       scale.name});
}

RegistryResult RemoveScale(QSqlDatabase db, const QString& name) {
  return ChangeNamed(db, QStringLiteral("DELETE FROM scales WHERE name = ?"), {name});
}

std::optional<FleetScale> FindScale(QSqlDatabase db, const QString& name, RegistryResult& result) {
  QSqlQuery query(db);
  query.prepare(QLatin1String(kSelectScales) + QStringLiteral(" WHERE name = ?"));
  query.addBindValue(name);
  if (!query.exec()) {
    result = DatabaseError(query);
    return std::nullopt;
  }
  if (!query.next()) {
    result = {RegistryStatus::kNoSuchScale, {}};
    return std::nullopt;
  }
  result = {};
  return ScaleOfRow(query);
}

std::optional<std::vector<FleetScale>> ListScales(QSqlDatabase db, RegistryResult& result) {
  QSqlQuery query(db);
  if (!query.exec(QLatin1String(kSelectScales) + QStringLiteral(" ORDER BY name"))) {
    result = DatabaseError(query);
    return std::nullopt;
  }
  std::vector<FleetScale> scales;
  while (query.next()) scales.push_back(ScaleOfRow(query));
  result = {};
  return scales;
}

}  // namespace keldaro::fleet
