// Saving the PLU grid to a text file and loading it back, through the tab's buttons.
#include <QFile>
#include <QTemporaryDir>

#include "app/qt_file_chooser.h"
#include "core/date_time_stamp.h"
#include "gui_fixture.h"
#include "plu/plu_file.h"
#include "support/separators.h"

namespace keldaro::gui_testing {
namespace {

class PluFileGuiTest : public GuiTest, public ::testing::WithParamInterface<QChar> {
 protected:
  void SetUp() override {
    StartScale();
    MakeProgram(GetParam());
    ASSERT_TRUE(folder.isValid());
  }

  QString Decimal(const char* text) const { return QString(text).replace('.', GetParam()); }
  QString Path(const char* name) const { return folder.filePath(name); }

  void Save(const QString& path) {
    files.answers.push_back(path);
    Click(plu_tab().Button6);
  }
  void Load(const QString& path) {
    files.answers.push_back(path);
    Click(plu_tab().Button5);
  }
  static void Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
  }
  static QByteArray Read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }

  QTemporaryDir folder;
};

TEST_P(PluFileGuiTest, ASavedGridLoadsBackIntoTheSameCells) {
  const QStringList first = {"0",
                             Decimal("0.00"),
                             "0",
                             "0",
                             "0",
                             "0",
                             "0",
                             "0",
                             "",
                             "0",
                             Decimal("0.000"),
                             Decimal("0.00"),
                             "0"};
  const QStringList second = {"17",
                              Decimal("12.50"),
                              "1017",
                              "3",
                              "1",
                              "0",
                              "0",
                              "1",
                              QStringLiteral("DOMATES ÇİĞ"),
                              "5",
                              Decimal("2.345"),
                              Decimal("29.31"),
                              "4"};
  for (int c = 0; c < plu::kColumnCount; ++c) {
    sheet().SetCell(1, c, first[c]);
    sheet().SetCell(3, c, second[c]);  // row 2 has no price: it is left out
  }
  sheet().SetCell(2, plu::kName, "no price");
  Save(Path("plu.TXT"));
  EXPECT_TRUE(notifier.errors.empty()) << LastError();
  ASSERT_EQ(files.shown.size(), 1u);
  EXPECT_EQ(files.shown[0].filter, "TAB separated Text Files|*.TXT");

  const QByteArray bytes = Read(Path("plu.TXT"));
  const QString stamp = DateTimeStamp(clock.now, QLocale());
  EXPECT_TRUE(bytes.startsWith(("; created: " + stamp + "\r\n\r\n").toUtf8()))
      << bytes.left(60).data();
  EXPECT_TRUE(bytes.contains("DOMATES \xC7\xDD\xD0\t"));  // names in the Turkish code page
  EXPECT_EQ(bytes.count("\r\n"), 4);

  Click(plu_tab().Button17);  // "Sil"
  EXPECT_TRUE(sheet().Cell(3, plu::kName).isEmpty());
  Load(Path("plu.TXT"));
  EXPECT_TRUE(notifier.errors.empty()) << LastError();
  for (int c = 0; c <= plu::kShelfLife; ++c) {
    EXPECT_EQ(sheet().Cell(1, c), first[c]) << "column " << c;
    EXPECT_EQ(sheet().Cell(2, c), second[c]) << "column " << c;
  }
  EXPECT_TRUE(sheet().Cell(2, plu::kQuantity).isEmpty());  // the totals are not loaded
  EXPECT_TRUE(sheet().Cell(3, plu::kPrice).isEmpty());
}

TEST_P(PluFileGuiTest, AFailingLineStopsTheLoadAndSaysWhichLine) {
  const QByteArray good = ("1\t" + Decimal("2.50") + "\t3\t4\t5\t0\t0\t0\tA\t7\t\r\n").toUtf8();
  Write(Path("bad.TXT"), "; comment\r\n\r\n" + good + good + "2\t1\t3\t4\t9\t0\t0\t0\tB\t7\t\r\n");
  Load(Path("bad.TXT"));
  ASSERT_EQ(notifier.errors.size(), 1u);
  EXPECT_EQ(notifier.errors[0].title, "ERROR!");
  EXPECT_EQ(notifier.errors[0].text, "error in input file");
  EXPECT_EQ(notifier.errors[0].detail,
            "line 5, column 9: field 5 (VRG) is \"9\", not a whole number from 0 to 8");
  EXPECT_EQ(sheet().Cell(2, plu::kName), "A");
  EXPECT_NE(sheet().Cell(3, plu::kName), "B");
}

TEST_P(PluFileGuiTest, MoreRecordsThanRowsLoadTheFirstAndSaySo) {
  QByteArray bytes;
  for (int i = 0; i < plu::kRecordRows + 3; ++i) {
    bytes += QByteArray::number(i % 1800) + "\t1\t0\t0\t0\t0\t0\t0\tN\t0\t\r\n";
  }
  Write(Path("big.TXT"), bytes);
  Load(Path("big.TXT"));
  ASSERT_EQ(notifier.errors.size(), 1u);
  EXPECT_EQ(notifier.errors[0].text, plu::NotLoadedLinesText(3).toStdString());
  EXPECT_EQ(sheet().Cell(plu::kLastRecordRow, plu::kNo), "0");  // line 1801 holds PLU 1800 % 1800
}

TEST_P(PluFileGuiTest, FilesThatCannotBeReadOrWrittenAreIoErrors) {
  Load(Path("missing.TXT"));
  sheet().SetCell(1, plu::kPrice, "1");
  Write(Path("keep.TXT"), "old");
  // A save into a folder that does not exist fails; a cancelled dialog does nothing at all.
  Save(Path("no/such/folder.TXT"));
  Save(QString());
  ASSERT_EQ(notifier.errors.size(), 2u);
  for (const auto& e : notifier.errors) {
    EXPECT_EQ(e.title, "ERROR!");
    EXPECT_EQ(e.text, "I/O Error!");
  }
  EXPECT_EQ(Read(Path("keep.TXT")), "old");
}

KELDARO_FOR_EACH_SEPARATOR(PluFileGuiTest);

TEST(FileDialogText, FiltersTakeBothCasesAndNamesGetTheDefaultExtension) {
  EXPECT_EQ(app::QtNameFilter("TAB separated Text Files|*.TXT"),
            "TAB separated Text Files (*.TXT *.txt)");
  EXPECT_EQ(app::WithDefaultExtension("/tmp/plu", "TXT"), "/tmp/plu.TXT");
  EXPECT_EQ(app::WithDefaultExtension("/tmp/plu.txt", "TXT"), "/tmp/plu.txt");
  EXPECT_EQ(app::WithDefaultExtension("/tmp/v1.0/plu", "TXT"), "/tmp/v1.0/plu.TXT");
  EXPECT_EQ(app::WithDefaultExtension("", "TXT"), "");
}

}  // namespace
}  // namespace keldaro::gui_testing
