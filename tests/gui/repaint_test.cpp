// How often a PLU read repaints the window. The grid shows the arriving records every 100 ms of
// wall-clock time, so the counts depend on the machine's speed: a timing test, run apart from
// the main suite.
#include <QApplication>

#include "gui_fixture.h"
#include "link/commands.h"

namespace keldaro::gui_testing {
namespace {

// Counts the paint events a widget receives.
struct PaintCounter : QObject {
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
  int paints = 0;
};

TEST_F(GuiTest, AReadDoesNotRepaintTheWindowForEveryRecord) {
  // The events let through after each record would otherwise repaint the tab set and the grid
  // 1801 times in a full read, which makes the read several times slower than the link.
  ConnectToScale();
  QApplication::processEvents();  // the identity's new text is laid out before the read
  scale->ClearLog();
  PaintCounter tabs;
  PaintCounter grid;
  form1().PageControl1->installEventFilter(&tabs);
  plu_tab().StringGrid1->viewport()->installEventFilter(&grid);
  plu_tab().SpinEdit2->setValue(300);
  Click(plu_tab().Button7);
  QApplication::processEvents();
  ASSERT_GE(RequestCount(cmd::kReadPlu), 302);
  EXPECT_LE(tabs.paints, 3);
  EXPECT_LE(grid.paints, 30);
  EXPECT_GE(grid.paints, 1);  // the rows read are shown
}

}  // namespace
}  // namespace keldaro::gui_testing
