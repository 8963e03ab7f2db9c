#include "fleet/write_transaction.h"

#include <QSqlError>
#include <QSqlQuery>

namespace keldaro::fleet {

WriteTransaction::~WriteTransaction() {
  if (open_) QSqlQuery(db_).exec(QStringLiteral("ROLLBACK"));
}

bool WriteTransaction::Begin(QString& error) {
  QSqlQuery query(db_);
  const bool sqlite = db_.driverName() == QLatin1String("QSQLITE");
  if (!query.exec(sqlite ? QStringLiteral("BEGIN IMMEDIATE") : QStringLiteral("BEGIN"))) {
    error = query.lastError().text();
    return false;
  }
  open_ = true;
  return true;
}

bool WriteTransaction::Commit(QString& error) {
  QSqlQuery query(db_);
  if (!query.exec(QStringLiteral("COMMIT"))) {
    error = query.lastError().text();
    return false;
  }
  open_ = false;
  return true;
}

}  // namespace keldaro::fleet
