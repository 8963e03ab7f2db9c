// The scales of the fleet as the database records them: add, change, list and remove.
#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace keldaro::fleet {

struct FleetScale {
  QString name;
  QString port;  // as the user gave it to --port
  int baud = 9600;
  QStringList groups;
  QString identity;  // what the scale answered on first contact; empty before
};

enum class RegistryStatus { kOk, kNameTaken, kNoSuchScale, kDatabaseError };

struct RegistryResult {
  RegistryStatus status = RegistryStatus::kOk;
  QString error;  // the database's reason, for kDatabaseError
};

// Why `group` cannot be a group's name (empty, or holding the comma the groups are stored
// apart by); empty when it can.
QString GroupNameProblem(const QString& group);

RegistryResult AddScale(QSqlDatabase db, const FleetScale& scale);
// Replaces the port, line speed, groups and identity of the scale named `scale.name`.
RegistryResult UpdateScale(QSqlDatabase db, const FleetScale& scale);
RegistryResult RemoveScale(QSqlDatabase db, const QString& name);
// The scale named `name`, or nothing (with `result` saying whether it is missing or the
// database failed).
std::optional<FleetScale> FindScale(QSqlDatabase db, const QString& name, RegistryResult& result);
// Every scale, by name.
std::optional<std::vector<FleetScale>> ListScales(QSqlDatabase db, RegistryResult& result);

}  // namespace keldaro::fleet
