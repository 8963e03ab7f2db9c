#include "app/config_file.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <vector>

#include "support/file_size_limit.h"

namespace keldaro::app {
namespace {

using namespace Qt::StringLiterals;

constexpr QStringView kCaption = u"VUN KELDARO UTILITY ZIR1.70";
const std::string kHeader = "VUN KELDARO UTILITY ZIR1.70 !DO NOT EDIT!";

std::string Joined(const std::vector<std::string>& lines) {
  std::string file;
  for (const std::string& line : lines) file += line + "\r\n";
  return file;
}

ConfigReading Read(const std::string& bytes) { return ReadConfig(bytes, kCaption); }

// Every control the file remembers, with texts the code page holds.
ConfigEntries AllControls() {
  ConfigEntries e;
  for (int n : kSavedTextFields) e.text_fields[n] = u"Şükrü Çağlar %1"_s.arg(n);
  for (int n : kSavedComboBoxes) e.combo_boxes[n] = {n % 5, u"İtem %1"_s.arg(n)};
  e.combo_boxes[kComboBox2] = {-1, u"COM3"_s};
  e.masked_fields[kMaskEdit1] = u"05-03-2024 14:07:00"_s;
  e.multi_line_boxes[kMemo1] = {u"ĞÜŞİÖÇ ğüşıöç"_s, u"€ 12,50"_s, u""_s};
  e.multi_line_boxes[kMemo2] = {u"  TEŞEKKÜRLER  "_s};
  return e;
}

TEST(ConfigWriteTest, AWorkedExampleGivesExactlyTheseBytes) {
  ConfigEntries e;
  e.text_fields = {{kEdit9, u"TL"_s}, {kEdit3, u"Ayşe"_s}};
  e.combo_boxes = {{kComboBox1, {3, u"9600"_s}}};
  e.masked_fields = {{kMaskEdit1, u"05-03-2024 14:07:00"_s}};
  e.multi_line_boxes = {{kMemo1, {u"İZMİR"_s, u""_s}}};
  const std::string expected =
      "VUN KELDARO UTILITY ZIR1.70 !DO NOT EDIT!\r\n141\r\n"
      "71\r\nAy\xFE"
      "e\r\n81\r\nTL\r\n60002\r\n"
      "130\r\n3\r\n9600\r\n60002\r\n"
      "73\r\n05-03-2024 14:07:00\r\n60002\r\n"
      "51\r\n2\r\n\xDDZM\xDDR\r\n\r\n60002\r\n"
      "60001\r\n";
  EXPECT_EQ(WriteConfig(e, kCaption), expected);
}

TEST(ConfigWriteTest, AnEmptySetStillWritesEveryMarker) {
  EXPECT_EQ(WriteConfig({}, kCaption),
            kHeader + "\r\n141\r\n60002\r\n60002\r\n60002\r\n60002\r\n60001\r\n");
}

TEST(ConfigWriteTest, LineBreaksInTextsNeverSplitTheFile) {
  ConfigEntries e;
  e.text_fields[kEdit1] = u"first\r\nsecond"_s;  // a field shows one line
  e.combo_boxes[kComboBox3] = {0, u"mode\nrest"_s};
  e.multi_line_boxes[kMemo1] = {u"a\r\nb\rc\nd"_s, u"e"_s};  // shown as five lines
  ConfigEntries expected;
  expected.text_fields[kEdit1] = u"first"_s;
  expected.combo_boxes[kComboBox3] = {0, u"mode"_s};
  expected.multi_line_boxes[kMemo1] = {u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"e"_s};
  const ConfigReading back = Read(WriteConfig(e, kCaption));
  EXPECT_EQ(back.end, ConfigReadEnd::kComplete);
  EXPECT_EQ(back.entries, expected);
}

TEST(ConfigWriteTest, WhatTheReaderWouldRefuseIsNotWritten) {
  ConfigEntries e;
  e.text_fields[-1] = u"below"_s;
  e.text_fields[kComponentCount] = u"past the end"_s;
  e.text_fields[kEdit2] = QString(kMaxLineBytes + 10, u'x');
  e.masked_fields[kMaskEdit1] = u"日本"_s;  // not in the code page
  const ConfigReading back = Read(WriteConfig(e, kCaption));
  EXPECT_EQ(back.end, ConfigReadEnd::kComplete);
  ConfigEntries expected;
  expected.text_fields[kEdit2] = QString(kMaxLineBytes, u'x');
  expected.masked_fields[kMaskEdit1] = u"??"_s;
  EXPECT_EQ(back.entries, expected);
}

TEST(ConfigReadTest, WhatIsWrittenReadsBackTheSame) {
  const ConfigReading back = Read(WriteConfig(AllControls(), kCaption));
  EXPECT_EQ(back.end, ConfigReadEnd::kComplete);
  EXPECT_EQ(back.entries, AllControls());
}

TEST(ConfigReadTest, SixHeaderLinesAndAnEmptiedFooterSurvive) {
  ConfigEntries e;
  e.multi_line_boxes[kMemo1] = {u"1"_s, u"2"_s, u""_s, u"4"_s, u"5"_s, u"6 ALTI"_s};
  e.multi_line_boxes[kMemo2] = {};
  const ConfigReading back = Read(WriteConfig(e, kCaption));
  EXPECT_EQ(back.entries, e);
  ASSERT_TRUE(back.entries.multi_line_boxes.contains(kMemo2));  // kept as empty, not dropped
  EXPECT_TRUE(back.entries.multi_line_boxes.at(kMemo2).isEmpty());
}

TEST(ConfigReadTest, AComboWithNoItemKeepsItsTypedText) {
  ConfigEntries e;
  e.combo_boxes[kComboBox2] = {-1, u"/dev/ttyUSB0"_s};
  const ConfigReading back = Read(WriteConfig(e, kCaption));
  ASSERT_TRUE(back.entries.combo_boxes.contains(kComboBox2));
  EXPECT_EQ(back.entries.combo_boxes.at(kComboBox2), (ComboEntry{-1, u"/dev/ttyUSB0"_s}));
}

TEST(ConfigReadTest, AnIndexIsCarriedAsReadForTheBoxToJudge) {
  const ConfigReading back =
      Read(Joined({kHeader, "141", "60002", "52", "-7", "a", "80", "99", "b", "60002"}));
  EXPECT_EQ(back.entries.combo_boxes.at(kComboBox4).index, -7);
  EXPECT_EQ(back.entries.combo_boxes.at(kComboBox8).index, 99);
}

TEST(ConfigReadTest, AnotherCaptionOrCountReadsNothing) {
  const std::string written = WriteConfig(AllControls(), kCaption);
  const ConfigReading other = ReadConfig(written, u"VUN KELDARO UTILITY ZIR1.69");
  EXPECT_EQ(other.end, ConfigReadEnd::kOtherHeader);
  EXPECT_EQ(other.entries, ConfigEntries{});

  EXPECT_EQ(Read("").end, ConfigReadEnd::kOtherHeader);
  EXPECT_EQ(Read(kHeader).end, ConfigReadEnd::kOtherCount);  // the file ends after the header
  for (const char* count : {"140", "142", "", " 141", "141 ", "abc"}) {
    const ConfigReading r = Read(Joined({kHeader, count, "56", "text", "60002"}));
    EXPECT_EQ(r.end, ConfigReadEnd::kOtherCount) << '"' << count << '"';
    EXPECT_EQ(r.entries, ConfigEntries{}) << '"' << count << '"';
  }
}

TEST(ConfigReadTest, AFileCutShortKeepsTheWholeEntriesBeforeTheCut) {
  const ConfigReading one = Read(Joined({kHeader, "141", "56", "first", "57"}));
  EXPECT_EQ(one.end, ConfigReadEnd::kEndOfFile);
  EXPECT_EQ(one.entries.text_fields, (std::map<int, QString>{{kEdit1, u"first"_s}}));

  // Cut inside a combo box's entry and inside a multi-line box's lines: that entry is dropped.
  const ConfigReading combo = Read(Joined({kHeader, "141", "56", "first", "60002", "52", "2"}));
  EXPECT_EQ(combo.end, ConfigReadEnd::kEndOfFile);
  EXPECT_TRUE(combo.entries.combo_boxes.empty());
  const ConfigReading memo =
      Read(Joined({kHeader, "141", "60002", "60002", "60002", "67", "0", "51", "3", "one", "two"}));
  EXPECT_EQ(memo.end, ConfigReadEnd::kEndOfFile);
  EXPECT_EQ(memo.entries.multi_line_boxes, (std::map<int, QStringList>{{kMemo2, {}}}));

  // The last line needs no line end.
  const ConfigReading unended = Read(kHeader + "\r\n141\r\n56\r\nno line end");
  EXPECT_EQ(unended.entries.text_fields.at(kEdit1), u"no line end"_s);
}

TEST(ConfigReadTest, LineEndsMayBeCrLfLfOrCr) {
  const ConfigReading back =
      Read(kHeader + "\n141\r56\r\nA\n60002\r60002\n60002\r\n51\n2\rx\r\n\n60002\n60001");
  EXPECT_EQ(back.end, ConfigReadEnd::kComplete);
  EXPECT_EQ(back.entries.text_fields.at(kEdit1), u"A"_s);
  EXPECT_EQ(back.entries.multi_line_boxes.at(kMemo1), (QStringList{u"x"_s, u""_s}));
}

// One line of a complete file replaced: how the reading ends and how many entries of each
// section it kept.
struct BadLineCase {
  std::size_t line;
  std::string replacement;
  ConfigReadEnd end;
  std::array<std::size_t, 4> kept;  // text fields, combo boxes, masked fields, multi-line boxes
};

void PrintTo(const BadLineCase& c, std::ostream* os) {
  *os << "line " << c.line << " = \"" << c.replacement.substr(0, 24)
      << (c.replacement.size() > 24 ? "...\"" : "\"");
}

class ConfigBadLineTest : public ::testing::TestWithParam<BadLineCase> {};

TEST_P(ConfigBadLineTest, EndsTheReadingQuietlyKeepingWhatCameBefore) {
  std::vector<std::string> lines = {kHeader,
                                    "141",
                                    "56",
                                    "A",
                                    "57",
                                    "B",
                                    "60002",
                                    "52",
                                    "2",
                                    "9600",
                                    "60002",
                                    "73",
                                    "01-01-2024 00:00:00",
                                    "60002",
                                    "51",
                                    "1",
                                    "x",
                                    "67",
                                    "0",
                                    "60002",
                                    "60001"};
  const BadLineCase& c = GetParam();
  lines[c.line] = c.replacement;
  const ConfigReading r = Read(Joined(lines));
  EXPECT_EQ(r.end, c.end);
  const std::array<std::size_t, 4> kept = {
      r.entries.text_fields.size(), r.entries.combo_boxes.size(), r.entries.masked_fields.size(),
      r.entries.multi_line_boxes.size()};
  EXPECT_EQ(kept, c.kept);
}

const std::string kTooLong(1 << 20, 'A');

INSTANTIATE_TEST_SUITE_P(
    Lines, ConfigBadLineTest,
    ::testing::Values(
        BadLineCase{20, "60001", ConfigReadEnd::kComplete, {2, 1, 1, 2}},  // unchanged
        BadLineCase{4, "abc", ConfigReadEnd::kBadLine, {1, 0, 0, 0}},
        BadLineCase{4, "", ConfigReadEnd::kBadLine, {1, 0, 0, 0}},
        BadLineCase{4, "141", ConfigReadEnd::kBadLine, {1, 0, 0, 0}},
        BadLineCase{4, "-1", ConfigReadEnd::kBadLine, {1, 0, 0, 0}},
        BadLineCase{4, "60001", ConfigReadEnd::kComplete, {1, 0, 0, 0}},
        BadLineCase{11, "99999999999999999999", ConfigReadEnd::kBadLine, {2, 1, 0, 0}},
        BadLineCase{8, "second", ConfigReadEnd::kBadLine, {2, 0, 0, 0}},
        BadLineCase{8, "2147483648", ConfigReadEnd::kBadLine, {2, 0, 0, 0}},
        BadLineCase{14, "60002", ConfigReadEnd::kComplete, {2, 1, 1, 0}},
        BadLineCase{14, "60001", ConfigReadEnd::kComplete, {2, 1, 1, 0}},
        BadLineCase{15, "-1", ConfigReadEnd::kBadLine, {2, 1, 1, 0}},
        BadLineCase{15, "many", ConfigReadEnd::kBadLine, {2, 1, 1, 0}},
        // An absurd count reads the rest of the file as lines and runs into its end.
        BadLineCase{15, "9223372036854775807", ConfigReadEnd::kEndOfFile, {2, 1, 1, 0}},
        BadLineCase{3, kTooLong, ConfigReadEnd::kBadLine, {0, 0, 0, 0}},
        BadLineCase{4, kTooLong, ConfigReadEnd::kBadLine, {1, 0, 0, 0}},
        BadLineCase{3, std::string(kMaxLineBytes, 'A'), ConfigReadEnd::kComplete, {2, 1, 1, 2}}));

// ---- the file on disk ----

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

TEST(ConfigFileOnDiskTest, TheFirstSaveCreatesTheFolderAndTheFileLoadsBack) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString folder = dir.filePath("config/keldaro");
  const QString path = ConfigFilePath(folder);
  EXPECT_EQ(path, folder + "/keldaro.CFG");
  EXPECT_EQ(LoadConfigFile(path, kCaption), ConfigEntries{});  // first run: nothing

  ASSERT_TRUE(SaveConfigFile(path, AllControls(), kCaption));
  EXPECT_EQ(ReadAll(path).toStdString(), WriteConfig(AllControls(), kCaption));
  EXPECT_EQ(LoadConfigFile(path, kCaption), AllControls());
  EXPECT_EQ(LoadConfigFile(path, u"another caption"), ConfigEntries{});
}

TEST(ConfigFileOnDiskTest, AFolderThatCannotBeMadeFailsTheSave) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QFile blocker(dir.filePath("keldaro"));  // a file where the folder should be
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  EXPECT_FALSE(SaveConfigFile(ConfigFilePath(dir.filePath("keldaro")), {}, kCaption));
}

TEST(ConfigFileOnDiskTest, AWriteThatFailsPartWayLeavesTheOldFile) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString path = ConfigFilePath(dir.path());
  ASSERT_TRUE(SaveConfigFile(path, AllControls(), kCaption));
  const QByteArray old = ReadAll(path);

  ConfigEntries larger = AllControls();
  larger.multi_line_boxes[kMemo1] = QStringList(100, QString(1000, u'x'));
  bool saved_larger = true;
  {
    const keldaro::testing::FileSizeLimit limit(16 * 1024);  // as a full disk fails, even for root
    saved_larger = SaveConfigFile(path, larger, kCaption);
  }

  EXPECT_FALSE(saved_larger);
  EXPECT_EQ(ReadAll(path), old);
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"keldaro.CFG"});
}

}  // namespace
}  // namespace keldaro::app
