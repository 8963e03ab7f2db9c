// What the keyboard and the pointer give beside the buttons: F1 for the help, and tool tips that
// spell out the PLU grid's short headings.
#include "gui_fixture.h"
#include "plu/plu_tab.h"

namespace keldaro::gui_testing {
namespace {

using KeyboardTest = GuiTest;

TEST_F(KeyboardTest, F1InTheMainWindowOpensTheHelp) {
  ASSERT_FALSE(program->form5().isVisible());
  QTest::keyClick(form1().windowHandle(), Qt::Key_F1);
  EXPECT_TRUE(program->form5().isVisible());
}

TEST_F(KeyboardTest, EveryShortPluHeadingHasATip) {
  for (int column = 0; column < plu::kColumnCount; ++column) {
    const QString heading = plu::Headings()[column];
    const QString tip = sheet().headerData(column, Qt::Horizontal, Qt::ToolTipRole).toString();
    const bool short_heading = heading.size() <= 3 || heading.contains('\'');
    EXPECT_EQ(!tip.isEmpty(), short_heading) << heading.toStdString();
  }
}

}  // namespace
}  // namespace keldaro::gui_testing
