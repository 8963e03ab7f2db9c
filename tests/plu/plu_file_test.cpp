#include "plu/plu_file.h"

#include <gtest/gtest.h>

#include "plu/plu_test_support.h"
#include "support/separators.h"

namespace keldaro::plu {

using namespace Qt::StringLiterals;
namespace {

using testing::FillRow;
using testing::RowCells;

TEST(ExtractFieldTest, SplitsAtSingleSeparators) {
  const QString line = u"a\tb\t\td"_s;
  bool missing = false;
  EXPECT_EQ(ExtractField(line, 1, u'\t', missing), u"a"_s);
  EXPECT_EQ(ExtractField(line, 3, u'\t', missing), u""_s);
  EXPECT_FALSE(missing);
  EXPECT_EQ(ExtractField(line, 4, u'\t', missing), u"d"_s);
  EXPECT_FALSE(missing);
  EXPECT_EQ(ExtractField(line, 5, u'\t', missing), u""_s);
  EXPECT_TRUE(missing);
  EXPECT_EQ(ExtractField(line, 2, u'\t', missing), u"b"_s);
  EXPECT_TRUE(missing) << "the flag is never cleared";

  missing = false;
  EXPECT_EQ(ExtractField(u"whole line", 1, u'\t', missing), u"whole line"_s);
  EXPECT_EQ(ExtractField(u"x\t", 2, u'\t', missing), u""_s);  // trailing separator: empty field
  EXPECT_FALSE(missing);
  ExtractField(u"whole line", 2, u'\t', missing);
  EXPECT_TRUE(missing);
}

class PluFileTest : public ::testing::TestWithParam<QChar> {
 protected:
  QChar sep() const { return GetParam(); }
  QString Dec(const char* c_form) const {
    return QString::fromUtf8(c_form).replace(QLatin1Char('.'), sep());
  }
  // File bytes from C-form text: '|' becomes TAB and '.' the separator under test.
  std::string Bytes(std::string text) const {
    for (char& c : text) {
      if (c == '|') c = '\t';
      if (c == '.') c = static_cast<char>(sep().unicode());
    }
    return text;
  }
  std::string Line(const char* fields) const { return Bytes(fields) + "\r\n"; }
  PluSheet sheet_;
};
KELDARO_FOR_EACH_SEPARATOR(PluFileTest);

TEST_P(PluFileTest, SavesTheHeaderAndEveryRecordRowInCp1254) {
  FillRow(
      sheet_, 1,
      {"0", Dec("0.00"), "0", "0", "0", "0", "0", "0", "", "0", Dec("0.000"), Dec("0.00"), "0"});
  FillRow(sheet_, 4,
          {"17", Dec("12.50"), "1017", "3", "1", "0", "0", "1", u"DOMATES Ş"_s, "5", Dec("2.345"),
           Dec("29.31"), "4"});
  sheet_.SetCell(3, kName, u"no price, left out"_s);
  EXPECT_EQ(SavePluFile(sheet_, u"07.12.2026 14:05:09"_s),
            "; created: 07.12.2026 14:05:09\r\n\r\n" + Line("0|0.00|0|0|0|0|0|0||0|0.000|0.00|0|") +
                Line("17|12.50|1017|3|1|0|0|1|DOMATES \xDE|5|2.345|29.31|4|"));
  EXPECT_EQ(SavePluFile(PluSheet(), u"x"_s), "; created: x\r\n\r\n");
}

TEST_P(PluFileTest, LoadsRecordsIntoConsecutiveRowsAndSkipsComments) {
  sheet_.SetCell(1, kQuantity, u"kept"_s);
  sheet_.SetCell(4, kName, u"untouched"_s);
  const std::string file = "; created: now\r\n\r\n" +
                           Line("17|12.50|1017|3|1|0|0|1|DOMATES|5|x|y") + ";comment\r\n" + "\n" +
                           Line(
                               "1801|-3.00|999999|40|8|1|1|1|\xDE"
                               "ABCDEFGHIJKLMNOPQRSTUVWXYZ123|999") +
                           Bytes("0.5|99999.99|0|0|0|0|0|0||0");  // the last line has no CR LF
  const PluLoadResult r = LoadPluFile(file, sheet_, sep());
  EXPECT_EQ(r.loaded, 3);
  EXPECT_EQ(r.failed_line, 0);
  EXPECT_EQ(r.ignored_lines, 0);
  EXPECT_EQ(RowCells(sheet_, 1), (QStringList{"17", Dec("12.50"), "1017", "3", "1", "0", "0", "1",
                                              "DOMATES", "5", "kept", "", ""}));
  EXPECT_EQ(sheet_.Cell(2, kName), u"ŞABCDEFGHIJKLMNOPQRSTUVWXYZ123"_s);
  EXPECT_EQ(sheet_.Cell(3, kNo), Dec("0.5"));
  EXPECT_EQ(sheet_.Cell(4, kName), u"untouched"_s);
}

TEST_P(PluFileTest, ASavedGridLoadsBackUnchanged) {
  for (int row = 1; row <= 30; ++row) {
    FillRow(sheet_, row,
            {QString::number(row), Dec("0.53"), QString::number(row * 7), "3", "8", "1", "0", "1",
             u"İsim ğüşıöç €"_s, "12", "5", Dec("1.25"), "2"});
  }
  PluSheet loaded;
  const PluLoadResult r = LoadPluFile(SavePluFile(sheet_, u"01.01.2026 00:00:00"_s), loaded, sep());
  EXPECT_EQ(r.loaded, 30);
  EXPECT_EQ(r.failed_line, 0);
  for (int row = 1; row <= 31; ++row) {
    EXPECT_EQ(RowCells(loaded, row, 10), RowCells(sheet_, row, 10)) << row;
  }
}

TEST_P(PluFileTest, AFailingLineWritesNothingAndStopsTheLoad) {
  FillRow(sheet_, 3, {"old", "old", "old", "old", "old", "old"});
  const std::string file = Line("1|1|1|1|1|0|0|0|A|1") + ";\r\n" + Line("2|2|2|2|2|0|0|0|B|2") +
                           Line("3|3|3|3|9|0|0|0|C|3") +  // "VRG" 9
                           Line("4|4|4|4|4|0|0|0|D|4");
  const PluLoadResult r = LoadPluFile(file, sheet_, sep());
  EXPECT_EQ(r.loaded, 2);
  EXPECT_EQ(r.failed_line, 4);  // file lines count comments too
  EXPECT_EQ(RowCells(sheet_, 3, 6), (QStringList{"old", "old", "old", "old", "old", "old"}));
  EXPECT_TRUE(sheet_.Cell(4, kNo).isEmpty());
}

TEST_P(PluFileTest, FieldChecksOfTheLoader) {
  struct Case {
    const char* line;
    bool passes;
  };
  const Case cases[] = {
      {"1801|1|1|1|1|0|0|0|A|1", true},
      {"1802|1|1|1|1|0|0|0|A|1", false},
      {"-1|1|1|1|1|0|0|0|A|1", false},
      {"1|100000|1|1|1|0|0|0|A|1", false},
      {"1|-3.00|1|1|1|0|0|0|A|1", true},
      {"1|1|12.5|1|1|0|0|0|A|1", false},
      {"1|1|1000000|1|1|0|0|0|A|1", false},
      {"1|1|-1|1|1|0|0|0|A|1", false},
      {"1|1|1|41|1|0|0|0|A|1", false},
      {"1|1|1|1|1|2|0|0|A|1", false},
      {"1|1|1|1|1|0|-1|0|A|1", false},
      {"1|1|1|1|1|0|0|1|A|999.5", false},
      {"1|1|1|1|1|0|0|0|A|12.5", true},
      {"1|1|1|1|1|0|0|0|A", false},  // nine fields
      {"1|1|1|1|1|0|0|0|A|", false},
      {"|1|1|1|1|0|0|0|A|1", false},
      {"1|1|1|1|1|0|0|0|ABCDEFGHIJKLMNOPQRSTUVWXYZ0123|1", true},
      {"1|1|1|1|1|0|0|0|ABCDEFGHIJKLMNOPQRSTUVWXYZ01234|1", false},  // a send would cut it
  };
  for (const Case& c : cases) {
    PluSheet sheet;
    const PluLoadResult r = LoadPluFile(Line(c.line), sheet, sep());
    EXPECT_EQ(r.loaded, c.passes ? 1 : 0) << c.line;
    EXPECT_EQ(r.failed_line, c.passes ? 0 : 1) << c.line;
  }
  // A file from a PC with the other separator fails at its first price with decimals.
  const QChar other = sep() == u'.' ? u',' : u'.';
  const std::string foreign = "1\t1" + std::string(1, static_cast<char>(other.unicode())) +
                              "50\t1\t1\t1\t0\t0\t0\tA\t1\r\n";
  EXPECT_EQ(LoadPluFile(foreign, sheet_, sep()).failed_line, 1);
}

TEST_P(PluFileTest, LinesPastTheLastRowAreCountedNotLoaded) {
  std::string file;
  for (int i = 0; i < 1805; ++i) file += Line("1|1|1|1|1|0|0|0|A|1") + "; between\r\n";
  const PluLoadResult r = LoadPluFile(file, sheet_, sep());
  EXPECT_EQ(r.loaded, 1801);
  EXPECT_EQ(r.ignored_lines, 4);
  EXPECT_EQ(r.failed_line, 0);
  EXPECT_EQ(sheet_.Cell(1801, kNo), u"1"_s);
}

TEST(PluFileEncodingTest, Utf8FilesAreReadAsUtf8AndOthersAsCp1254) {
  const std::string fields = "1\t1\t1\t1\t1\t0\t0\t0\t";
  const auto name_loaded = [&](const std::string& bytes) {
    PluSheet sheet;
    const PluLoadResult result = LoadPluFile(bytes, sheet, u'.');
    EXPECT_EQ(result.failed_line, 0) << result.failure.toStdString();
    return sheet.Cell(1, kName);
  };
  const QString seker = QStringLiteral(u"\u015EEKER");
  EXPECT_EQ(name_loaded("\xEF\xBB\xBF" + fields +
                        "\xC5\x9E"
                        "EKER\t0\r\n"),
            seker);
  EXPECT_EQ(name_loaded(fields + "\xC5\x9E"
                                 "EKER\t0\r\n"),
            seker);
  EXPECT_EQ(name_loaded(fields + "\xDE"
                                 "EKER\t0\r\n"),
            seker);  // not valid UTF-8
  // Valid UTF-8 in one line, a code page byte in another: the whole file is code page 1254.
  PluSheet mixed;
  LoadPluFile(fields + "\xC5\x9E\t0\r\n" + fields + "\xDE\t0\r\n", mixed, u'.');
  EXPECT_EQ(mixed.Cell(1, kName), QStringLiteral(u"\u00C5\u009E"));
}

TEST(PluFileReportTest, FailureNamesTheFieldAndRepeatedNumbersAreListed) {
  PluSheet sheet;
  const std::string good = "\t1\t1\t1\t1\t0\t0\t0\tA\t0\r\n";
  PluLoadResult result =
      LoadPluFile("; x\r\n4" + good + "5" + good + "4" + good + "5" + good, sheet, u'.');
  EXPECT_EQ(result.failed_line, 0);
  EXPECT_EQ(result.record_lines, (std::vector<int>{2, 3, 4, 5}));
  EXPECT_EQ(result.duplicates, (std::vector<std::pair<int, int>>{{2, 4}, {3, 5}}));

  result = LoadPluFile("1\t1\t1\t1\t9\t0\t0\t0\tA\t0\r\n", sheet, u'.');
  EXPECT_EQ(result.failed_line, 1);
  EXPECT_EQ(result.failure,
            QStringLiteral(u"field 5 (VRG) is \"9\", not a whole number from 0 to 8"));
}

// A value the send would change (cut, round or replace) is refused in the file, at its line and
// the column where its field begins.
TEST(PluFileReportTest, ValuesASendWouldChangeAreRefusedAtTheirLineAndColumn) {
  const std::string fields = "1\t1\t1\t1\t1\t0\t0\t0\t";  // the name starts in column 17
  struct Case {
    std::string line;
    int column;
    QString failure;  // empty: the line loads
  };
  const Case cases[] = {
      {"7\t1.009\t1\t1\t1\t0\t0\t0\tA\t0", 3,
       u"field 2 (Fiyat) is \"1.009\", with more than two decimals, which the scale cannot hold"_s},
      {"7\t5e-3\t1\t1\t1\t0\t0\t0\tA\t0", 3, u"field 2 (Fiyat) is \"5e-3\", with more"_s},
      {"7\t-0.010\t1\t1\t1\t0\t0\t0\tA\t0", 0, {}},  // a zero past the hundredths changes nothing
      {fields + std::string(31, 'N') + "\t0", 17, u"field 9 (İsim) is \"NNN"_s},
      {fields + "AB" + std::string(1, '\0') + "C\t0", 17,
       u"field 9 (İsim) is \"AB C\", holding a NUL character"_s},
      {fields + "OK \xE2\x9C\x93\t0", 17,
       u"field 9 (İsim) is \"OK ✓\", holding \"✓\", a character code page 1254 lacks"_s},
      {fields + "S\u0327EKER\t0", 0, {}},  // S and a combining cedilla: "ŞEKER", composed
      {"7\t1\t1", 6, u"3 fields, 10 needed"_s},
      {fields + std::string(200, 'x') + "\t0", 17,
       u"field 9 (İsim) is \""_s + QString(80, u'x') + u"…\", not at most 30 characters"_s},
  };
  for (const Case& c : cases) {
    PluSheet sheet;
    const PluLoadResult r = LoadPluFile("; x\r\n" + c.line + "\r\n", sheet, u'.');
    if (c.failure.isEmpty()) {
      EXPECT_EQ(r.loaded, 1) << r.failure.toStdString();
      continue;
    }
    EXPECT_EQ(r.Where(), u"line 2, column %1"_s.arg(c.column)) << c.line;
    EXPECT_TRUE(r.failure.startsWith(c.failure)) << r.failure.toStdString();
  }
  PluSheet composed;
  LoadPluFile(fields + "S\u0327EKER\t0", composed, u'.');
  EXPECT_EQ(composed.Cell(1, kName), u"ŞEKER"_s);
}

TEST(PluFileSaveTest, LineBreakingCharactersInACellAreSavedAsBlanks) {
  PluSheet sheet;
  testing::FillRow(sheet, 1, {"1", "1.00", "1", "1", "1", "0", "0", "0", "A\tB\r\nC", "0"});
  testing::FillRow(sheet, 2, {"2", "1.00", "1", "1", "1", "0", "0", "0", "plain", "0"});
  int blanked = -1;
  const std::string file = SavePluFile(sheet, "now", &blanked);
  EXPECT_EQ(blanked, 1);
  PluSheet loaded;
  const PluLoadResult result = LoadPluFile(file, loaded, u'.');
  EXPECT_EQ(result.loaded, 2);
  EXPECT_EQ(loaded.Cell(1, kName), QStringLiteral("A B  C"));
}

TEST(PluFileSaveTest, ACarriageReturnInsideALoadedLineSavesIntoAFileThatLoadsBack) {
  PluSheet sheet;
  ASSERT_EQ(LoadPluFile("1\t1\t0\t0\t-0\t-0\t0\t-0\t-0\r0\t-0\t--", sheet, u'.').loaded, 1);
  EXPECT_EQ(sheet.Cell(1, kName), QStringLiteral("-0\r0"));
  PluSheet again;
  const PluLoadResult reloaded = LoadPluFile(SavePluFile(sheet, "now"), again, u'.');
  EXPECT_EQ(reloaded.failed_line, 0) << reloaded.failure.toStdString();
  EXPECT_EQ(reloaded.loaded, 1);
  EXPECT_EQ(again.Cell(1, kName), QStringLiteral("-0 0"));
}

}  // namespace
}  // namespace keldaro::plu
