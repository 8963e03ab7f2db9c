// The checks made on every keystroke in the PLU grid, through the grid's real cell editor,
// with a point and with a comma as the decimal separator.
#include <QLineEdit>
#include <QTest>

#include "gui_fixture.h"
#include "link/commands.h"
#include "support/separators.h"

namespace keldaro::gui_testing {
namespace {

class PluTypingTest : public GuiTest, public ::testing::WithParamInterface<QChar> {
 protected:
  void SetUp() override {
    StartScale();
    MakeProgram(GetParam());
  }

  QChar sep() const { return GetParam(); }
  QString Decimal(const QString& text) const { return QString(text).replace('.', sep()); }

  // The editor of the cell in grid row `row`.
  QLineEdit* Edit(int row, int column) {
    return OpenCellEditor(plu_tab().StringGrid1, sheet().index(row - 1, column));
  }

  // Types `keys` into a fresh editor on the cell and closes it with Enter; returns the cell.
  QString Type(int row, int column, const QString& keys) {
    QLineEdit* editor = Edit(row, column);
    if (editor == nullptr) return "(no editor)";
    QTest::keyClicks(editor, keys);
    QTest::keyClick(editor, Qt::Key_Return);
    return sheet().Cell(row, column);
  }
};

TEST_P(PluTypingTest, APriceUpToTheLimitStandsAndTheNextDigitIsPutBack) {
  EXPECT_EQ(Type(1, plu::kPrice, Decimal("9999.99")), Decimal("9999.99"));
  EXPECT_EQ(notifier.beeps, 0);

  sheet().SetCell(2, plu::kPrice, "");
  QLineEdit* editor = Edit(2, plu::kPrice);
  ASSERT_NE(editor, nullptr);
  QTest::keyClicks(editor, "10000");
  EXPECT_EQ(editor->text(), "1000");
  EXPECT_EQ(sheet().Cell(2, plu::kPrice), "1000");  // the cell follows every keystroke
  EXPECT_EQ(notifier.beeps, 1);
  EXPECT_TRUE(notifier.errors.empty());
}

TEST_P(PluTypingTest, EitherDecimalMarkIsTheUsersOneInTheColumnsHoldingDecimals) {
  const QString other = sep() == '.' ? "," : ".";
  // Code and shelf life are checked as decimals while typed, like the price.
  for (int column : {plu::kPrice, plu::kCode, plu::kShelfLife}) {
    EXPECT_EQ(Type(1, column, "12" + QString(sep())), "12" + QString(sep()));
    EXPECT_EQ(Type(2, column, "3" + other + "5"), Decimal("3.5")) << column;
  }
  EXPECT_EQ(notifier.beeps, 0);
  // The department is whole: "12" stands, the mark is put back, and "125" is above 40.
  EXPECT_EQ(Type(3, plu::kDepartment, "12" + other + "5"), "12");
  EXPECT_EQ(notifier.beeps, 2);
  // Put in the middle of the digits, the mark leaves the cursor just after it.
  QLineEdit* editor = Edit(4, plu::kPrice);
  ASSERT_NE(editor, nullptr);
  QTest::keyClicks(editor, "2675");
  editor->setCursorPosition(2);
  QTest::keyClicks(editor, other + "1");
  EXPECT_EQ(editor->text(), Decimal("26.175"));
}

TEST_P(PluTypingTest, APriceTypedWithEitherMarkGoesOutAsItsHundredths) {
  ConnectToScale();
  plu_tab().SpinEdit2->setValue(2);
  const QStringList cells = {"", "", "7", "1", "1", "0", "0", "0", "ELMA", "3"};
  for (int row : {1, 2}) {
    for (int c = 0; c < cells.size(); ++c) sheet().SetCell(row, c, cells[c]);
    sheet().SetCell(row, plu::kNo, QString::number(row));
  }
  EXPECT_EQ(Type(1, plu::kPrice, "26,75"), Decimal("26.75"));
  EXPECT_EQ(Type(2, plu::kPrice, "26.75"), Decimal("26.75"));
  scale->ClearLog();
  Click(plu_tab().Button8);
  ASSERT_EQ(RequestCount(cmd::kWritePlu), 2) << LastError();
  for (const sim::ReceivedRequest& r : scale->Requests()) {
    if (r.code != cmd::kWritePlu) continue;
    const std::vector<std::uint8_t>& p = r.payload;  // number, a zero byte, price, ...
    EXPECT_EQ(p[3] << 24 | p[4] << 16 | p[5] << 8 | p[6], 2675) << "PLU " << (p[0] << 8 | p[1]);
  }
  EXPECT_EQ(notifier.beeps, 0);
}

TEST_P(PluTypingTest, ARefusedKeystrokeFlashesTheCellAndANoteNamesTheField) {
  struct Case {
    int column;
    const char* keys;
    QString note;
  };
  const Case cases[] = {
      {plu::kPrice, "1x", Decimal("Fiyat: yalnızca rakam ve ondalık işareti, en çok 9999.99")},
      {plu::kDepartment, "41", "Kıs: yalnızca tam sayı, en çok 40"},
      {plu::kBarFlag, "2", "BAR: yalnızca 0 ya da 1"},
      {plu::kQuantity, "1", "Miktar: teraziden okunur, yazılamaz"},
  };
  for (const Case& c : cases) {
    QLineEdit* editor = Edit(1, c.column);
    ASSERT_NE(editor, nullptr);
    const QColor background = editor->palette().color(QPalette::Base);
    QTest::keyClicks(editor, c.keys);
    EXPECT_NE(editor->palette().color(QPalette::Base), background) << c.keys;
    EXPECT_EQ(RefusalNote(), c.note);
    QTest::keyClick(editor, Qt::Key_Escape);
  }
  EXPECT_EQ(notifier.beeps, 4);
}

TEST_P(PluTypingTest, AMinusSignStandsInFrontOfANumberButNotAlone) {
  QLineEdit* editor = Edit(1, plu::kDepartment);
  ASSERT_NE(editor, nullptr);
  QTest::keyClicks(editor, "5");
  QTest::keyClick(editor, Qt::Key_Home);
  QTest::keyClicks(editor, "-");
  EXPECT_EQ(editor->text(), "-5");
  QTest::keyClicks(editor, "1");  // the cursor stays where the user put it
  EXPECT_EQ(editor->text(), "-15");
  QTest::keyClick(editor, Qt::Key_Delete);
  QTest::keyClick(editor, Qt::Key_Delete);
  EXPECT_EQ(notifier.beeps, 0);
  QTest::keyClick(editor, Qt::Key_Return);
  EXPECT_EQ(sheet().Cell(1, plu::kDepartment), "-1");

  EXPECT_EQ(Type(2, plu::kPrice, "-"), "");
  EXPECT_EQ(notifier.beeps, 1);
}

TEST_P(PluTypingTest, FlagsTakeZeroOrOneAndNamesThirtyCharacters) {
  sheet().SetCell(1, plu::kWeightless, "1");
  EXPECT_EQ(Type(1, plu::kWeightless, "x"), "1");  // the editor opened on "1", selected
  EXPECT_EQ(notifier.beeps, 1);
  EXPECT_EQ(Type(1, plu::kBarFlag, "2"), "");
  EXPECT_EQ(notifier.beeps, 2);

  const QString thirty(30, 'A');
  EXPECT_EQ(Type(1, plu::kName, thirty + "B"), thirty);
  EXPECT_EQ(notifier.beeps, 3);
}

TEST_P(PluTypingTest, TheSalesTotalsRejectEveryKeystrokeDeletingIncluded) {
  sheet().SetCell(1, plu::kQuantity, Decimal("1.250"));
  QLineEdit* editor = Edit(1, plu::kQuantity);
  ASSERT_NE(editor, nullptr);
  editor->end(false);
  QTest::keyClick(editor, Qt::Key_Backspace);
  EXPECT_EQ(editor->text(), Decimal("1.250"));
  QTest::keyClicks(editor, "7");
  EXPECT_EQ(editor->text(), Decimal("1.250"));
  QTest::keyClick(editor, Qt::Key_Return);
  EXPECT_EQ(sheet().Cell(1, plu::kQuantity), Decimal("1.250"));
  EXPECT_EQ(notifier.beeps, 2);
}

TEST_P(PluTypingTest, TabMovesToTheNextCellAndARejectionPutsBackThatCellsText) {
  sheet().SetCell(1, plu::kCode, "99");
  QLineEdit* editor = Edit(1, plu::kPrice);
  ASSERT_NE(editor, nullptr);
  QTest::keyClicks(editor, "12");
  QTest::keyClick(editor, Qt::Key_Tab);
  EXPECT_EQ(sheet().Cell(1, plu::kPrice), "12");
  ASSERT_EQ(plu_tab().StringGrid1->currentIndex().column(), plu::kCode);
  // Tab opened the next cell's editor; a letter fails its check and the text the cell had
  // when Tab selected it comes back.
  auto* next_editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
  ASSERT_NE(next_editor, nullptr);
  ASSERT_NE(next_editor, editor);
  QTest::keyClick(next_editor, Qt::Key_X);
  EXPECT_EQ(next_editor->text(), "99");
  EXPECT_EQ(sheet().Cell(1, plu::kCode), "99");
  EXPECT_EQ(notifier.beeps, 1);
}

KELDARO_FOR_EACH_SEPARATOR(PluTypingTest);

}  // namespace
}  // namespace keldaro::gui_testing
