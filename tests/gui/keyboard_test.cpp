// What the keyboard gives beside the buttons.
#include "gui_fixture.h"

namespace keldaro::gui_testing {
namespace {

using KeyboardTest = GuiTest;

TEST_F(KeyboardTest, F1InTheMainWindowOpensTheHelp) {
  ASSERT_FALSE(program->form5().isVisible());
  QTest::keyClick(form1().windowHandle(), Qt::Key_F1);
  EXPECT_TRUE(program->form5().isVisible());
}

}  // namespace
}  // namespace keldaro::gui_testing
