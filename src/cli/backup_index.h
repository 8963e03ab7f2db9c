// A backup folder's index, backup.json: which scale was backed up, when and over which line, and
// the names of the folder's other files. It is written last: a folder that holds it holds them.
#pragma once

#include <QJsonObject>
#include <QString>
#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace keldaro::cli {

inline constexpr const char* kBackupIndexFile = "backup.json";

// One of the other files: its key in the index's "files" object and the name a backup gives it.
struct BackupPart {
  const char* key;
  const char* file_name;
};
inline constexpr BackupPart kPluPart{"plu", "plu.txt"};
inline constexpr BackupPart kSettingsPart{"settings", "settings.json"};
inline constexpr BackupPart kReportPart{"report", "report.txt"};
inline constexpr BackupPart kReportJsonPart{"report_json", "report.json"};
inline constexpr std::array<BackupPart, 4> kBackupParts = {kPluPart, kSettingsPart, kReportPart,
                                                           kReportJsonPart};

struct BackupIndex {
  QString identity;
  QString port;
  // The PC's line speed the backup was read at; the scale's own line speed setting is in the
  // settings file.
  int pc_line_speed = 0;
  QString created;      // the PC's time, ISO 8601
  QString scale_clock;  // the scale's clock, ISO 8601
};

// The index's bytes, naming every part under its file name.
std::string WriteBackupIndex(const BackupIndex& index);

// The "files" object of an index's bytes; nothing, with what is wrong in `error`, when the bytes
// are no JSON object or hold no such object. A restore needs nothing else of the index.
std::optional<QJsonObject> ReadBackupIndexFiles(std::string_view bytes, QString& error);

// The name `files` gives `part`; nothing, with the line that says why in `problem`, when it is
// no plain file name inside the backup's folder (no folder part, no "." or "..").
std::optional<QString> BackupPartName(const QJsonObject& files, const BackupPart& part,
                                      std::string& problem);

}  // namespace keldaro::cli
