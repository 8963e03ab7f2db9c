#include "fleet/scale_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QtEndian>
#include <cerrno>
#include <cstring>
#include <thread>

namespace keldaro::fleet {
namespace {

// How often a waiting run tries the lock again.
constexpr std::chrono::milliseconds kRetryEvery{25};

QByteArray NameHash(const QString& scale) {
  return QCryptographicHash::hash(scale.toUtf8(), QCryptographicHash::Sha256);
}

// "fleet.sqlite.scale-<16 hex digits>.lock": a scale's name may hold anything a file's may not.
QString LockFilePath(const QSqlDatabase& db, const QString& scale) {
  return db.databaseName() + QStringLiteral(".scale-") +
         QString::fromLatin1(NameHash(scale).left(8).toHex()) + QStringLiteral(".lock");
}

// The advisory lock's key: the first 64 bits of the name's hash, with the program's own text
// in front so that other users of the server's advisory locks do not meet ours.
qint64 AdvisoryKey(const QString& scale) {
  return qFromBigEndian<qint64>(NameHash(QStringLiteral("keldaro scale ") + scale).constData());
}

// Calls `try_once` until it takes the lock, says it failed, or the waiting is given up.
// try_once returns 1 taken, 0 held by another run, -1 failed (its reason in `error`).
template <typename Try>
bool TakeWaiting(Try try_once, const ScaleLock::Waiting& waiting, QString& error) {
  bool told = false;
  for (;;) {
    const int taken = try_once();
    if (taken != 0) return taken > 0;
    if (!told && waiting.on_wait) waiting.on_wait();
    told = true;
    if (waiting.keep_waiting && !waiting.keep_waiting()) {
      error = QStringLiteral("stopped while another run of the scale held it");
      return false;
    }
    std::this_thread::sleep_for(kRetryEvery);
  }
}

}  // namespace

std::unique_ptr<ScaleLock> ScaleLock::Take(QSqlDatabase db, const QString& scale,
                                           const Waiting& waiting, QString& error) {
  std::unique_ptr<ScaleLock> lock(new ScaleLock);
  if (db.driverName() == QLatin1String("QSQLITE")) {
    const QByteArray path = LockFilePath(db, scale).toLocal8Bit();
    lock->file_ = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (lock->file_ < 0) {
      error = QStringLiteral("%1: %2").arg(QString::fromLocal8Bit(path),
                                           QString::fromLocal8Bit(std::strerror(errno)));
      return nullptr;
    }
    const int file = lock->file_;
    const auto try_once = [file, &error] {
      if (::flock(file, LOCK_EX | LOCK_NB) == 0) return 1;
      if (errno == EWOULDBLOCK || errno == EINTR) return 0;
      error = QString::fromLocal8Bit(std::strerror(errno));
      return -1;
    };
    return TakeWaiting(try_once, waiting, error) ? std::move(lock) : nullptr;
  }
  lock->key_ = AdvisoryKey(scale);
  const auto try_once = [db, key = lock->key_, &error] {
    QSqlQuery query(db);
    query.prepare(QStringLiteral("SELECT pg_try_advisory_lock(?)"));
    query.addBindValue(key);
    if (!query.exec() || !query.next()) {
      error = query.lastError().text();
      return -1;
    }
    return query.value(0).toBool() ? 1 : 0;
  };
  if (!TakeWaiting(try_once, waiting, error)) return nullptr;
  lock->server_ = db;
  return lock;
}

ScaleLock::~ScaleLock() {
  if (file_ >= 0) ::close(file_);  // closing the file ends its flock
  if (server_.isValid()) {
    QSqlQuery query(server_);
    query.prepare(QStringLiteral("SELECT pg_advisory_unlock(?)"));
    query.addBindValue(key_);
    query.exec();
  }
}

}  // namespace keldaro::fleet
