#include "core/atomic_file.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <filesystem>
#include <system_error>

namespace keldaro {
namespace {

std::filesystem::file_status StatusOf(const QString& path) {
  std::error_code ignored;  // a missing path is a status too
  return std::filesystem::status(path.toStdString(), ignored);
}

// Something that exists and that a rename must not replace: a device, a FIFO, a socket.
bool IsSpecialFile(const std::filesystem::file_status& status) {
  return std::filesystem::exists(status) && !std::filesystem::is_regular_file(status) &&
         !std::filesystem::is_directory(status);
}

bool Fail(QString* error, const QString& reason) {
  if (error) *error = reason;
  return false;
}

bool WriteInPlace(const QString& path, std::string_view content, QString* error) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
    return Fail(error, file.errorString());
  }
  const qint64 size = static_cast<qint64>(content.size());
  if (file.write(content.data(), size) != size) return Fail(error, file.errorString());
  file.close();
  if (file.error() != QFileDevice::NoError) return Fail(error, file.errorString());
  return true;
}

}  // namespace

bool WriteFileAtomically(const QString& path, std::string_view content, QString* error) {
  if (IsSpecialFile(StatusOf(path))) return WriteInPlace(path, content, error);
  // QSaveFile writes beside the target and renames on commit; it never falls back to writing
  // the target in place, so the old file stays whole until the new one is complete.
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return Fail(error, file.errorString());
  const qint64 size = static_cast<qint64>(content.size());
  if (file.write(content.data(), size) != size) {
    const QString reason = file.errorString();
    file.cancelWriting();
    return Fail(error, reason);
  }
  if (!file.commit()) return Fail(error, file.errorString());
  return true;
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
