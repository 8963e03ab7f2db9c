#include "cli/backup_index.h"

#include "core/json_file.h"
#include "core/quoted_value.h"

namespace keldaro::cli {
namespace {

constexpr int kBackupFormat = 1;

// The index's keys, in file order.
constexpr const char* kFormatKey = "format";
constexpr const char* kIdentityKey = "identity";
constexpr const char* kPortKey = "port";
// Spelt as older backups have it.
constexpr const char* kPcLineSpeedKey = "line_speed";
constexpr const char* kCreatedKey = "created";
constexpr const char* kScaleClockKey = "scale_clock";
constexpr const char* kFilesKey = "files";

// Whether `name` is the plain name of a file inside the backup's folder: no folder part, no
// "." or "..", nothing a path could leave the folder by.
bool IsPlainFileName(const QString& name) {
  return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
         !name.contains(QLatin1Char('/')) && !name.contains(QChar(u'\0'));
}

}  // namespace

std::string WriteBackupIndex(const BackupIndex& index) {
  JsonWriter w;
  w.Open(QLatin1Char('{'));
  w.Int(kFormatKey, kBackupFormat);
  w.String(kIdentityKey, index.identity);
  w.String(kPortKey, index.port);
  w.Int(kPcLineSpeedKey, index.pc_line_speed);
  w.String(kCreatedKey, index.created);
  w.String(kScaleClockKey, index.scale_clock);
  w.Key(kFilesKey);
  w.Open(QLatin1Char('{'));
  for (const BackupPart& part : kBackupParts) w.String(part.key, QLatin1String(part.file_name));
  w.Close(QLatin1Char('}'));
  w.Close(QLatin1Char('}'));
  return w.Text();
}

std::optional<QJsonObject> ReadBackupIndexFiles(std::string_view bytes, QString& error) {
  const std::optional<QJsonObject> index = ParseJsonObject(bytes, error);
  if (!index) return std::nullopt;
  const QJsonValue files = index->value(QLatin1String(kFilesKey));
  if (!files.isObject()) {
    error = QStringLiteral("no \"%1\" object").arg(QLatin1String(kFilesKey));
    return std::nullopt;
  }
  return files.toObject();
}

std::optional<QString> BackupPartName(const QJsonObject& files, const BackupPart& part,
                                      std::string& problem) {
  const QJsonValue value = files.value(QLatin1String(part.key));
  const QString name = value.toString();
  if (value.isString() && IsPlainFileName(name)) return name;
  problem = std::string(kBackupIndexFile) + ": \"" + kFilesKey + "\" names no \"" + part.key +
            "\" file in the backup's folder";
  if (value.isString()) problem += " (\"" + QuotedValue(name).toStdString() + "\" is no file name)";
  return std::nullopt;
}

}  // namespace keldaro::cli
