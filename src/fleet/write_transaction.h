// One transaction that writes to the fleet database: what a run records for one scale stands or
// falls together. Rolled back unless committed.
#pragma once

#include <QSqlDatabase>
#include <QString>

namespace keldaro::fleet {

class WriteTransaction {
 public:
  explicit WriteTransaction(QSqlDatabase db) : db_(std::move(db)) {}
  ~WriteTransaction();
  WriteTransaction(const WriteTransaction&) = delete;
  WriteTransaction& operator=(const WriteTransaction&) = delete;

  // False with the database's reason in `error`. On SQLite the write lock is taken at once
  // (BEGIN IMMEDIATE): a transaction that reads before it writes waits for another writer
  // (the busy timeout) instead of failing when it comes to write.
  bool Begin(QString& error);
  bool Commit(QString& error);

 private:
  QSqlDatabase db_;
  bool open_ = false;
};

}  // namespace keldaro::fleet
