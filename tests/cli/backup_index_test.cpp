#include "cli/backup_index.h"

#include <gtest/gtest.h>

namespace keldaro::cli {
namespace {

const BackupIndex kIndex{QStringLiteral("KELDARO SIM 1.0"), QStringLiteral("COM1"), 9600,
                         QStringLiteral("2026-12-09T04:00:00"),
                         QStringLiteral("2026-12-09T03:59:58")};

// Backups already made hold exactly this: a restore must go on reading it.
TEST(BackupIndexTest, TheIndexKeepsTheLayoutOfEarlierBackups) {
  EXPECT_EQ(WriteBackupIndex(kIndex),
            "{\n"
            "    \"format\": 1,\n"
            "    \"identity\": \"KELDARO SIM 1.0\",\n"
            "    \"port\": \"COM1\",\n"
            "    \"line_speed\": 9600,\n"
            "    \"created\": \"2026-12-09T04:00:00\",\n"
            "    \"scale_clock\": \"2026-12-09T03:59:58\",\n"
            "    \"files\": {\n"
            "        \"plu\": \"plu.txt\",\n"
            "        \"settings\": \"settings.json\",\n"
            "        \"report\": \"report.txt\",\n"
            "        \"report_json\": \"report.json\"\n"
            "    }\n"
            "}\n");
}

TEST(BackupIndexTest, EachPartIsFoundUnderTheNameTheIndexGivesIt) {
  QString error;
  const std::optional<QJsonObject> files = ReadBackupIndexFiles(WriteBackupIndex(kIndex), error);
  ASSERT_TRUE(files) << error.toStdString();
  for (const BackupPart& part : kBackupParts) {
    std::string problem;
    EXPECT_EQ(BackupPartName(*files, part, problem), QLatin1String(part.file_name)) << problem;
  }
  std::string problem;
  EXPECT_FALSE(BackupPartName(QJsonObject(), kReportJsonPart, problem));
  EXPECT_EQ(problem, "backup.json: \"files\" names no \"report_json\" file in the backup's folder");
}

TEST(BackupIndexTest, OnlyTheFilesObjectIsNeeded) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {R"({"files": {"plu": "p"}, "made_by": "a later version"})", ""},
      {R"({"format": 1})", "no \"files\" object"},
      {R"({"files": ["plu.txt"]})", "no \"files\" object"},
      {"[]", "line 1, column 1: the file must hold one JSON object"},
  };
  for (const auto& [text, expected] : cases) {
    QString error;
    EXPECT_EQ(ReadBackupIndexFiles(text, error).has_value(), expected.empty()) << text;
    EXPECT_EQ(error.toStdString(), expected) << text;
  }
}

}  // namespace
}  // namespace keldaro::cli
