#include "core/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <thread>

namespace keldaro {
namespace {

// How often an open FIFO with no reader is tried again while a stop is watched for.
constexpr auto kReaderPoll = std::chrono::milliseconds(20);
// Tries at a temporary name before giving up (each name is random, so a clash is rare).
constexpr int kTemporaryNameTries = 100;
// The longest part of the target's name kept in the temporary name, within NAME_MAX.
constexpr qsizetype kNamePartBytes = 200;

std::filesystem::file_status StatusOf(const QString& path) {
  std::error_code ignored;  // a missing path is a status too
  return std::filesystem::status(path.toStdString(), ignored);
}

// Something that exists and that a rename must not replace: a device, a FIFO, a socket.
bool IsSpecialFile(const std::filesystem::file_status& status) {
  return std::filesystem::exists(status) && !std::filesystem::is_regular_file(status) &&
         !std::filesystem::is_directory(status);
}

// Fails with the system's words for `error_number`.
bool Fail(QString* error, int error_number) {
  if (error) *error = QString::fromLocal8Bit(std::strerror(error_number));
  return false;
}

// Closes a descriptor on every way out unless it was closed (and checked) already.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  // The close's own result: on some file systems a failed write shows only here.
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

// Writes all of `content`, going on after a short write or a signal; 0 or the errno.
int WriteAll(int fd, std::string_view content) {
  while (!content.empty()) {
    const ssize_t written = ::write(fd, content.data(), content.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (written == 0) return EIO;  // no progress and no reason: never loop on it
    content.remove_prefix(static_cast<std::size_t>(written));
  }
  return 0;
}

// Opens a device or FIFO for writing without waiting in open(): a FIFO with no reader yet is
// tried again until a reader comes or `stopped` says so. Blocking writes follow.
int OpenSpecialFile(const QByteArray& name, const std::function<bool()>& stopped) {
  for (;;) {
    const int fd = ::open(name.constData(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd >= 0) {
      const int flags = ::fcntl(fd, F_GETFL);
      if (flags >= 0 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0) return fd;
      const int reason = errno;
      ::close(fd);
      errno = reason;
      return -1;
    }
    struct stat info {};
    // ENXIO on a FIFO means no reader yet; a socket says the same for good.
    if (errno != ENXIO || ::stat(name.constData(), &info) != 0 || !S_ISFIFO(info.st_mode)) {
      return -1;
    }
    if (stopped && stopped()) {
      errno = EINTR;
      return -1;
    }
    std::this_thread::sleep_for(kReaderPoll);
  }
}

bool WriteInPlace(const QString& path, std::string_view content, QString* error,
                  const std::function<bool()>& stopped) {
  Descriptor file(OpenSpecialFile(QFile::encodeName(path), stopped));
  if (file.get() < 0) return Fail(error, errno);
  if (const int reason = WriteAll(file.get(), content); reason != 0) return Fail(error, reason);
  if (!file.Close()) return Fail(error, errno);
  return true;
}

// Creates a new file beside the target, with the mode a new file gets from the umask, under a
// hidden name the target's name starts.
int CreateTemporary(const QByteArray& folder, const QByteArray& name, QByteArray& temporary) {
  for (int tries = 0; tries < kTemporaryNameTries; ++tries) {
    temporary = folder + "/." + name.left(kNamePartBytes) + '.' +
                QByteArray::number(QRandomGenerator::global()->generate(), 16) + ".tmp";
    const int fd =
        ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

// Fills, syncs and closes the temporary file; 0 or the errno.
int FillTemporary(Descriptor& file, std::string_view content, const struct stat* replaced) {
  // A replaced file keeps its permissions (a file made private stays private).
  if (replaced != nullptr && ::fchmod(file.get(), replaced->st_mode & 07777) != 0) return errno;
  if (const int reason = WriteAll(file.get(), content); reason != 0) return reason;
  if (::fsync(file.get()) != 0) return errno;
  if (!file.Close()) return errno;
  return 0;
}

}  // namespace

bool SyncFolder(const QString& folder, QString* error) {
  Descriptor dir(::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() < 0) return Fail(error, errno);
  // A file system that cannot sync a folder says EINVAL: there is nothing more to do there.
  if (::fsync(dir.get()) != 0 && errno != EINVAL) return Fail(error, errno);
  if (!dir.Close()) return Fail(error, errno);
  return true;
}

bool WriteFileAtomically(const QString& path, std::string_view content, QString* error,
                         const std::function<bool()>& stopped) {
  if (IsSpecialFile(StatusOf(path))) return WriteInPlace(path, content, error, stopped);
  QFileInfo target(path);
  // A link to a file replaces the file it names and stays a link.
  if (target.isSymLink() && target.exists()) target.setFile(target.canonicalFilePath());
  const QByteArray folder = QFile::encodeName(target.absolutePath());
  const QByteArray final_name = QFile::encodeName(target.absoluteFilePath());
  struct stat replaced {};
  const bool replaces = ::stat(final_name.constData(), &replaced) == 0 && S_ISREG(replaced.st_mode);

  QByteArray temporary;
  Descriptor file(CreateTemporary(folder, QFile::encodeName(target.fileName()), temporary));
  if (file.get() < 0) return Fail(error, errno);
  int reason = FillTemporary(file, content, replaces ? &replaced : nullptr);
  if (reason == 0 && ::rename(temporary.constData(), final_name.constData()) != 0) reason = errno;
  if (reason != 0) {
    ::unlink(temporary.constData());
    return Fail(error, reason);
  }
  return SyncFolder(target.absolutePath(), error);
}

QString WriteTargetProblem(const QString& path) {
  const auto status = StatusOf(path);
  const QFileInfo target(path);
  if (std::filesystem::is_directory(status)) return path + QStringLiteral(" is a folder");
  if (std::filesystem::exists(status)) {
    return target.isWritable() ? QString() : path + QStringLiteral(" is not writable");
  }
  const QString folder = target.absolutePath();
  const auto folder_status = StatusOf(folder);
  if (!std::filesystem::exists(folder_status)) {
    return QStringLiteral("the folder %1 of %2 does not exist").arg(folder, path);
  }
  if (!std::filesystem::is_directory(folder_status)) {
    return QStringLiteral("%1 of %2 is not a folder").arg(folder, path);
  }
  if (!QFileInfo(folder).isWritable()) {
    return QStringLiteral("the folder %1 of %2 is not writable").arg(folder, path);
  }
  return {};
}

}  // namespace keldaro
