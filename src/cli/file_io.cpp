#include "cli/file_io.h"

#include <CLI/CLI.hpp>
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

CLI::Option* AddOutOption(CLI::App& verb, std::string& path, const std::string& description,
                          bool standard_output) {
  const auto name_check = [standard_output](std::string& name) -> std::string {
    if (name.empty()) return "an empty name names no file";
    if (name != "-") return {};
    if (!standard_output) return "the picture is written to a file only; name one";
    name.clear();
    return {};
  };
  return verb.add_option("--out", path, description)
      ->type_name("FILE")
      ->transform(CLI::Validator(name_check, std::string()));
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
  if (!WriteFileAtomically(QString::fromStdString(path), content, &why, StopRequested)) {
    if (StopRequested()) {
      err << "stopped before " << path << " was written\n";
      return kExitStopped;
    }
    FileError(err, kIoErrorText) << path << ": " << why.toStdString() << '\n';
    return kExitLinkFailure;
  }
  return kExitOk;
}

}  // namespace keldaro::cli
