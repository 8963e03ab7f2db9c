// A user's input file (a PLU table, a settings, metrology or backup file, a picture), opened and
// read with its kind and size checked first: a folder, a FIFO or a device is refused by name,
// and a file past its cap is refused before it is read, so /dev/zero or a FIFO that never ends
// cannot fill the memory or hang the program. The window and the command line share it.
#pragma once

#include <QString>
#include <optional>
#include <string>

namespace keldaro {

// Text and JSON files of this program hold at most a few hundred kilobytes.
inline constexpr qint64 kMaxInputFileBytes = 16 * 1024 * 1024;

class InputFile {
 public:
  InputFile() = default;
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // Opens `path` for reading without waiting on a FIFO's writer, and refuses anything but a
  // regular file. False with the reason, naming the path, in `problem`.
  bool Open(const QString& path, QString& problem);
  // The file's size as the system gave it when opened.
  qint64 size() const { return size_; }
  // Hands the open descriptor over (to a QFile); this object no longer closes it.
  int Release();
  // Reads the whole file, refusing it when it holds more than `cap` bytes; at most cap + 1
  // bytes are ever read, even from a file that grows while it is read.
  std::optional<std::string> ReadAll(qint64 cap, QString& problem);

 private:
  QString path_;
  int fd_ = -1;
  qint64 size_ = 0;
};

// The whole of the regular file `path`, at most `cap` bytes; nothing, with the reason in
// `problem`, for anything else.
std::optional<std::string> ReadInputFile(const QString& path, QString& problem,
                                         qint64 cap = kMaxInputFileBytes);

}  // namespace keldaro
