// The checks made on every keystroke in the PLU grid, through the grid's real cell editor,
// with a point and with a comma as the decimal separator.
#include <QLineEdit>
#include <QTest>

#include "gui_fixture.h"
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

TEST_P(PluTypingTest, TheDecimalSeparatorIsTheUsersOne) {
  EXPECT_EQ(Type(1, plu::kPrice, "12" + QString(sep())), "12" + QString(sep()));
  EXPECT_EQ(notifier.beeps, 0);
  const QChar other = sep() == '.' ? ',' : '.';
  EXPECT_EQ(Type(2, plu::kPrice, "3" + QString(other) + "5"), "35");
  EXPECT_EQ(notifier.beeps, 1);
  // Code and shelf life are checked as decimals while typed; the department is whole.
  EXPECT_EQ(Type(3, plu::kCode, Decimal("12.5")), Decimal("12.5"));
  EXPECT_EQ(Type(3, plu::kShelfLife, Decimal("12.5")), Decimal("12.5"));
  // "12" stands, the separator is put back, and "125" is above 40.
  EXPECT_EQ(Type(3, plu::kDepartment, Decimal("12.5")), "12");
  EXPECT_EQ(notifier.beeps, 3);
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
