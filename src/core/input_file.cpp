#include "core/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstring>

namespace keldaro {
namespace {

// What a path that is not a regular file is, in the words of the refusal.
QString KindProblem(const QString& path, mode_t mode) {
  if (S_ISDIR(mode)) return path + QStringLiteral(" is a folder");
  const char* kind = S_ISFIFO(mode)   ? "a FIFO"
                     : S_ISCHR(mode)  ? "a character device"
                     : S_ISBLK(mode)  ? "a block device"
                     : S_ISSOCK(mode) ? "a socket"
                                      : "of an unknown kind";
  return path + QStringLiteral(" is not a regular file (%1)").arg(QLatin1String(kind));
}

QString ErrnoProblem(const QString& path, int error) {
  if (error == ELOOP) return path + QStringLiteral(" is a link loop");
  return path + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(error));
}

}  // namespace

InputFile::~InputFile() {
  if (fd_ >= 0) ::close(fd_);
}

bool InputFile::Open(const QString& path, QString& problem) {
  path_ = path;
  // O_NONBLOCK: opening a FIFO with no writer would otherwise wait for one forever.
  const QByteArray name = QFile::encodeName(path);
  fd_ = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd_ < 0) {
    problem = ErrnoProblem(path, errno);
    return false;
  }
  struct stat info {};
  if (::fstat(fd_, &info) != 0) {
    problem = ErrnoProblem(path, errno);
    return false;
  }
  if (!S_ISREG(info.st_mode)) {
    problem = KindProblem(path, info.st_mode);
    return false;
  }
  // A regular file: reads block normally again (a network file system may need them to).
  ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
  size_ = static_cast<qint64>(info.st_size);
  return true;
}

int InputFile::Release() {
  const int fd = fd_;
  fd_ = -1;
  return fd;
}

std::optional<std::string> InputFile::ReadAll(qint64 cap, QString& problem) {
  constexpr qint64 kMiB = 1024 * 1024;
  const QString limit = cap % kMiB == 0 ? QStringLiteral("%1 MiB").arg(cap / kMiB)
                                        : QStringLiteral("%1 bytes").arg(cap);
  const QString too_large =
      path_ + QStringLiteral(" is larger than %1, more than such a file ever holds").arg(limit);
  if (size_ > cap) {
    problem = too_large;
    return std::nullopt;
  }
  // The size is a hint only (a file under /proc says 0): read until the end, one byte past the
  // cap at most.
  std::string bytes(static_cast<std::size_t>(size_) + 1, '\0');
  std::size_t filled = 0;
  for (;;) {
    if (filled == bytes.size()) {
      if (static_cast<qint64>(filled) > cap) {
        problem = too_large;
        return std::nullopt;
      }
      bytes.resize(
          std::min<std::size_t>(bytes.size() * 2 + 4096, static_cast<std::size_t>(cap) + 1));
    }
    const ssize_t got = ::read(fd_, bytes.data() + filled, bytes.size() - filled);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      problem = ErrnoProblem(path_, errno);
      return std::nullopt;
    }
    if (got == 0) break;
    filled += static_cast<std::size_t>(got);
  }
  bytes.resize(filled);
  return bytes;
}

std::optional<std::string> ReadInputFile(const QString& path, QString& problem, qint64 cap) {
  InputFile file;
  if (!file.Open(path, problem)) return std::nullopt;
  return file.ReadAll(cap, problem);
}

}  // namespace keldaro
