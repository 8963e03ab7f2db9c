#include "plu/csv_import.h"

#include <gtest/gtest.h>

#include "core/cp1254.h"
#include "plu/plu_file.h"
#include "plu/plu_test_support.h"
#include "support/separators.h"

namespace keldaro::plu {

using namespace Qt::StringLiterals;
namespace {

using testing::RowCells;

std::vector<CsvFieldMapping> Mapping(const QString& map) {
  QString problem;
  const auto mapping = ParseCsvMapping(map, problem);
  EXPECT_TRUE(mapping) << problem.toStdString();
  return mapping.value_or(std::vector<CsvFieldMapping>{});
}

CsvImportOptions TillExport(const QString& map) {
  return {.mapping = Mapping(map), .delimiter = u';', .decimal = u',', .header = true};
}

// The PLU file's separator under test.
class CsvImportTest : public ::testing::TestWithParam<QChar> {
 protected:
  QString Dec(QString c_form) const { return c_form.replace(u'.', GetParam()); }
};
KELDARO_FOR_EACH_SEPARATOR(CsvImportTest);

// A semicolon-separated export with decimal commas and a heading line, in either encoding,
// becomes a PLU file that the loader reads back with the values the till gave.
TEST_P(CsvImportTest, TillExportBecomesAPluFileTheLoaderReads) {
  const QString csv =
      u"Stok kodu;Ürün adı;Satış fiyatı;PLU\r\n"
      u"1017;\"DOMATES; SALKIM\";12,50;17\r\n"
      u"2001;İNCİR ŞEKERLİ;149,9;1800\r\n"
      u"3003;ışık;-1;17"_s;  // no final line end; PLU 17 again
  const CsvImportOptions utf8 = TillExport(u"No=PLU,Fiyat=Satış fiyatı,İsim=Ürün adı,Kod=1"_s);
  CsvImportOptions cp1254 = utf8;
  cp1254.encoding = CsvEncoding::kCp1254;
  for (const auto& [options, bytes] :
       {std::pair(utf8, csv.toStdString()), std::pair(cp1254, ToCp1254(csv))}) {
    SCOPED_TRACE(options.encoding == CsvEncoding::kUtf8 ? "UTF-8" : "code page 1254");
    PluSheet imported;
    const CsvImportResult result = ImportCsv(bytes, options, imported, GetParam());
    ASSERT_EQ(result.failure, QString());
    EXPECT_EQ(result.records, 3);
    EXPECT_EQ(result.duplicates, (std::vector<std::pair<int, int>>{{2, 4}}));

    PluSheet loaded;
    const PluLoadResult load = LoadPluFile(SavePluFile(imported, u"now"_s), loaded, GetParam());
    ASSERT_EQ(load.failure, QString());
    ASSERT_EQ(load.loaded, 3);
    // Columns left out of the map hold 0.
    EXPECT_EQ(RowCells(loaded, 1, kCheckedFields),
              (QStringList{u"17"_s, Dec(u"12.50"_s), u"1017"_s, u"0"_s, u"0"_s, u"0"_s, u"0"_s,
                           u"0"_s, u"DOMATES; SALKIM"_s, u"0"_s}));
    EXPECT_EQ(loaded.Cell(2, kPrice), Dec(u"149.9"_s));
    EXPECT_EQ(loaded.Cell(2, kName), u"İNCİR ŞEKERLİ"_s);
    EXPECT_EQ(loaded.Cell(3, kName), u"ışık"_s);
  }
}

struct FaultCase {
  const char* name;
  QString lines;    // after the heading line "PLU;Fiyat;Ad"
  QString failure;  // how the failure begins
  QString map = u"No=PLU,Fiyat=Fiyat,İsim=3"_s;
  bool bad_mapping = false;
};

// A fault names the CSV line and column; the values are checked as the PLU file's loader and a
// send check them.
TEST_P(CsvImportTest, FaultNamesLineAndColumn) {
  const FaultCase cases[] = {
      {"third decimal", u"1;2,50;A\n2;12,345;B"_s,
       u"line 3, column 2 (Fiyat): Fiyat is \"12,345\", with more than two decimals"_s},
      {"decimal point where the CSV has commas", u"1;12.50;A"_s,
       u"line 2, column 2 (Fiyat): Fiyat is \"12.50\", not a number not above 99999,99"_s},
      {"No past the table", u"1801;1;A"_s,
       u"line 2, column 1 (PLU): No is \"1801\", which does not go to the scale"_s},
      {"fractional No", u"12,5;1;A"_s,
       u"line 2, column 1 (PLU): No is \"12,5\", which does not go to the scale"_s},
      {"line without the mapped column", u"1;1"_s,
       u"line 2, column 3 (Ad): the line has 2 fields"_s},
      {"a quoted name over two lines counts both", u"1;1;\"two\nlines\"\n2;x;B"_s,
       u"line 4, column 2 (Fiyat)"_s},
      {"quote never closed", u"1;1;A\n2;1;\"B"_s, u"line 3: a quoted field"_s},
      {"no such heading", u"1;1;A"_s, u"\"Price\" is neither a heading"_s, u"No=PLU,Fiyat=Price"_s,
       true},
      {"column past the heading line", u"1;1;A"_s,
       u"column 4 is mapped, but the heading line has 3 columns"_s, u"No=PLU,Fiyat=4"_s, true},
  };
  for (const FaultCase& c : cases) {
    SCOPED_TRACE(c.name);
    PluSheet sheet;
    const std::string bytes = (u"PLU;Fiyat;Ad\n"_s + c.lines).toStdString();
    const CsvImportResult result = ImportCsv(bytes, TillExport(c.map), sheet, GetParam());
    EXPECT_TRUE(result.failure.startsWith(c.failure)) << result.failure.toStdString();
    EXPECT_EQ(result.bad_mapping, c.bad_mapping);
  }
}

TEST(CsvMappingTest, RefusesWhatNamesNoColumnOnce) {
  const std::pair<QString, QString> cases[] = {
      {u"No=1,Fiyat=2,Price=3"_s, u"\"Price\" is not a PLU column; the columns are No, Fiyat,"_s},
      {u"No=1,Fiyat=2,Miktar=3"_s, u"\"Miktar\" is not a PLU column"_s},
      {u"No=1,Fiyat=2,Fiyat=3"_s, u"Fiyat is mapped twice"_s},
      {u"No=1,Fiyat"_s, u"\"Fiyat\" is not FIELD=COLUMN"_s},
      {u"No=1,Kod=2"_s, u"the map must name the CSV column of Fiyat"_s},
  };
  for (const auto& [map, expected] : cases) {
    SCOPED_TRACE(map.toStdString());
    QString problem;
    EXPECT_FALSE(ParseCsvMapping(map, problem));
    EXPECT_TRUE(problem.startsWith(expected)) << problem.toStdString();
  }
}

}  // namespace
}  // namespace keldaro::plu
