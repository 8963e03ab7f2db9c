// One run at a time for each scale, across every program using the same fleet database: a
// second push or pull of a scale waits for the first to end, then reads what it recorded, so
// no record is sent twice. The lock dies with the process that holds it (a program killed in
// the middle of a run blocks nobody): on SQLite an flock on a file beside the database, named
// from a hash of the scale's name; on PostgreSQL a session advisory lock on the run's own
// connection to the server.
#pragma once

#include <QSqlDatabase>
#include <QString>
#include <functional>
#include <memory>

namespace keldaro::fleet {

class ScaleLock {
 public:
  struct Waiting {
    // Asked between tries while another run holds the lock; false gives up.
    std::function<bool()> keep_waiting;
    // Told once when the lock is held by another run, before the waiting begins.
    std::function<void()> on_wait;
  };

  // The lock of `scale` taken on `db` (which must stay open while the lock lives). Nothing,
  // with the reason in `error`, when it cannot be taken or the waiting was given up.
  static std::unique_ptr<ScaleLock> Take(QSqlDatabase db, const QString& scale,
                                         const Waiting& waiting, QString& error);
  ~ScaleLock();
  ScaleLock(const ScaleLock&) = delete;
  ScaleLock& operator=(const ScaleLock&) = delete;

 private:
  ScaleLock() = default;

  int file_ = -1;          // SQLite: the locked file
  QSqlDatabase server_{};  // PostgreSQL: the session holding the advisory lock
  qint64 key_ = 0;
};

}  // namespace keldaro::fleet
