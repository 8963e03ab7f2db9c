#include "core/csv_reader.h"

#include <gtest/gtest.h>

#include <QStringList>

namespace keldaro {
namespace {

using namespace Qt::StringLiterals;

// Each record as its line number and its fields joined with "|".
QStringList Shown(const CsvReadResult& read) {
  QStringList shown;
  for (const CsvRecord& record : read.records) {
    QStringList fields(record.fields.begin(), record.fields.end());
    shown << QString::number(record.line) + u": "_s + fields.join(u'|');
  }
  return shown;
}

struct ReadCase {
  const char* name;
  QString text;
  QChar delimiter;
  QStringList records;
  int failed_line = 0;
};

TEST(CsvReaderTest, ReadsEveryQuotingAndLineEnd) {
  const ReadCase cases[] = {
      {"plain, LF", u"a,b\nc,d\n"_s, u',', {u"1: a|b"_s, u"2: c|d"_s}},
      {"CR LF, no final line end", u"a;b\r\nc;d"_s, u';', {u"1: a|b"_s, u"2: c|d"_s}},
      {"lone CR ends a line", u"a\rb"_s, u',', {u"1: a"_s, u"2: b"_s}},
      {"byte-order mark skipped", u"\uFEFFNo,Fiyat\n"_s, u',', {u"1: No|Fiyat"_s}},
      {"delimiter inside quotes", u"\"1,5\",x"_s, u',', {u"1: 1,5|x"_s}},
      {"doubled quote", u"\"say \"\"hi\"\"\",\"\""_s, u',', {u"1: say \"hi\"|"_s}},
      {"quote inside an unquoted field", u"5\" pipe,2"_s, u',', {u"1: 5\" pipe|2"_s}},
      {"empty fields, trailing delimiter", u";;\n"_s, u';', {u"1: ||"_s}},
      {"empty lines skipped, numbers kept", u"\n\na\r\n\r\nb\n"_s, u',', {u"3: a"_s, u"5: b"_s}},
      {"line breaks inside quotes: the record keeps its first line",
       u"\"two\r\nlines\",x\n\"a\nb\nc\"\nlast"_s,
       u',',
       {u"1: two\r\nlines|x"_s, u"3: a\nb\nc"_s, u"6: last"_s}},
      {"quote never closed: the line it opened on",
       u"ok\n\"open,\nmore\n"_s,
       u',',
       {u"1: ok"_s},
       2},
      {"text after a closing quote", u"a\n\"b\"c,d\n"_s, u',', {u"1: a"_s}, 2},
  };
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(c.name);
    const CsvReadResult read = ReadCsv(c.text, c.delimiter);
    EXPECT_EQ(Shown(read), c.records);
    EXPECT_EQ(read.failed_line, c.failed_line) << read.failure.toStdString();
    EXPECT_EQ(read.failure.isEmpty(), c.failed_line == 0);
  }
}

}  // namespace
}  // namespace keldaro
