#include "cli/file_io.h"

#include <QString>

#include "cli/cli_verbs.h"
#include "cli/verb.h"
#include "core/atomic_file.h"
#include "core/file_messages.h"
#include "core/input_file.h"

namespace keldaro::cli {

std::ostream& FileError(std::ostream& err, const char* text) {
  return err << kFileErrorTitle << ' ' << text << ": ";
}

std::optional<std::string> ReadInputFile(const std::string& path, std::ostream& err) {
  QString problem;
  std::optional<std::string> bytes = keldaro::ReadInputFile(QString::fromStdString(path), problem);
  if (!bytes) FileError(err, kIoErrorText) << problem.toStdString() << '\n';
  return bytes;
}

bool OutputWritable(const std::string& path, std::ostream& err) {
  if (path.empty()) return true;
  const QString problem = WriteTargetProblem(QString::fromStdString(path));
  if (problem.isEmpty()) return true;
  FileError(err, kIoErrorText) << problem.toStdString() << '\n';
  return false;
}

int WriteOutput(const std::string& path, const std::string& content, std::ostream& out,
                std::ostream& err) {
  if (path.empty()) {
    out << content << std::flush;
    return CheckedOutput(out, err);
  }
  QString why;
  if (!WriteFileAtomically(QString::fromStdString(path), content, &why)) {
    FileError(err, kIoErrorText) << path << ": " << why.toStdString() << '\n';
    return kExitBadInput;
  }
  return kExitOk;
}

}  // namespace keldaro::cli
