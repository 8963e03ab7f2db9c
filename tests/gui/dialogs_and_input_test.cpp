// Where the desktop's dialogs open, what the windows do with input while a run is in hand, and
// the port box's lists: the real Qt notifier and file chooser, real widgets and the virtual
// scale.
#include <QAbstractItemView>
#include <QMessageBox>
#include <QMouseEvent>
#include <QTimer>
#include <functional>

#include "app/qt_file_chooser.h"
#include "app/qt_notifier.h"
#include "gui_fixture.h"
#include "link/commands.h"
#include "link/port_name.h"
#include "ui/drop_down_width.h"

namespace keldaro::gui_testing {
namespace {

// The next modal dialog as it opens: its parent and whether it stays on top. It is then closed
// unanswered.
struct NextDialog {
  NextDialog() {
    QTimer::singleShot(0, [this] {
      if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
        parent = dialog->parentWidget();
        stays_on_top = dialog->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        dialog->reject();
      }
    });
  }
  QWidget* parent = nullptr;
  bool stays_on_top = false;
};

class DialogOwnerTest : public GuiTest {};

// The logo window stays on top; its file dialog and its error box must open above it, even
// though the desktop's last resort for a parent is the main window.
TEST_F(DialogOwnerTest, TheLogoWindowsDialogsOpenAboveIt) {
  app::QtNotifier qt_notifier(&form1());
  app::QtFileChooser qt_files(&form1());
  const QString bad_picture = config_dir.filePath("broken.BMP");
  QFile file(bad_picture);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("BM not a picture") > 0);
  file.close();

  struct Case {
    const char* name;
    Notifier& notifier;
    ui::FileChooser& files;
  };
  for (const Case& c : {Case{"file dialog", notifier, qt_files},
                        Case{"error box of a bad picture", qt_notifier, files}}) {
    SCOPED_TRACE(c.name);
    logo::LogoWindow window(program->session(),
                            ui::Services{c.notifier, c.files, clock, '.', outcomes});
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    form1().activateWindow();  // the main window active: the logo window asks all the same
    files.answers = {bad_picture};
    const NextDialog dialog;
    Click(window.Button1);
    EXPECT_EQ(dialog.parent, &window);
    EXPECT_TRUE(dialog.stays_on_top);
  }
}

class RunInputTest : public GuiTest {
 protected:
  void SetUp() override { StartConnected(); }

  // A click on `button` left in the event queue, where a click made during a run waits.
  static void PostClick(QWidget* button) {
    const QPointF at = QRectF(button->rect()).center();
    const QPointF global = button->mapToGlobal(at);
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
      const Qt::MouseButtons held =
          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
      QCoreApplication::postEvent(
          button, new QMouseEvent(type, at, global, Qt::LeftButton, held, Qt::NoModifier));
    }
  }
};

// "Sil" clicked while a run lets events through between its commands: the rows stay, during
// the run and after it.
TEST_F(RunInputTest, AClickDuringARunDoesNothing) {
  const QString picture = config_dir.filePath("logo.png");
  QImage image(100, 10, QImage::Format_RGB32);
  image.fill(Qt::black);
  ASSERT_TRUE(image.save(picture));
  files.answers = {picture};
  Click(program->form4().Button1);
  ASSERT_TRUE(notifier.errors.empty()) << LastError();

  // The terminal window active, where the keyboard sends keys; the main window disconnected.
  terminal::TerminalWindow& terminal = program->form3();
  terminal.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&terminal));
  Click(form1().Button11);
  const auto click = [this](QWidget* button) { return [this, button] { Click(button); }; };
  struct Case {
    const char* name;
    std::function<void()> start;
    std::uint8_t command;
  };
  // The runs with a progress display let events through between their commands, where the
  // timer's click arrives; the others hold the window throughout, where a click waits in the
  // queue.
  settings::SettingsTab& settings = *form1().TabSheet2;
  for (const Case& c : {
           Case{"connect", click(form1().Button11), cmd::kIdentify},
           Case{"terminal keyboard",
                [&terminal] { QTest::keyClick(terminal.windowHandle(), Qt::Key_1); }, cmd::kKey},
           Case{"terminal keypad", click(terminal.buttons[0]), cmd::kKey},
           Case{"PLU send", click(plu_tab().Button8), cmd::kWritePlu},
           Case{"logo send", click(program->form4().Button2), cmd::kWriteLogo},
           Case{"settings send", click(settings.Button1), cmd::kWriteSettings},
           Case{"clock read", click(settings.Button4), cmd::kReadClock},
           Case{"clock set", click(settings.Button13), cmd::kSetClock},
           Case{"report download", click(form1().TabSheet3->Button18), cmd::kReadReportMemory},
           Case{"SYSTEM send", click(form1().TabSheet4->Button2), cmd::kMetrology},
       }) {
    SCOPED_TRACE(c.name);
    plu_tab().SpinEdit1->setValue(1);
    plu_tab().SpinEdit2->setValue(2);
    const QStringList row = {"1", "1.25", "7", "1", "1", "0", "0", "0", "ELMA", "3"};
    for (int column = 0; column < row.size(); ++column) sheet().SetCell(1, column, row[column]);
    scale->ClearLog();
    PostClick(plu_tab().Button17);
    c.start();
    QCoreApplication::processEvents();
    EXPECT_GT(RequestCount(c.command), 0);
    EXPECT_EQ(sheet().Cell(1, 1), "1.25");
  }
  EXPECT_TRUE(notifier.errors.empty()) << LastError();

  // Outside a run the same click empties the rows.
  PostClick(plu_tab().Button17);
  QCoreApplication::processEvents();
  EXPECT_EQ(sheet().Cell(1, 1), "");
}

// A box raised by a guarded handler (a link failure during a report download) answers its
// button: the guard swallows input aimed anywhere else.
TEST_F(RunInputTest, ABoxTheHandlerRaisesTakesItsInput) {
  Click(form1().Button11);  // the port is the box's session's
  app::QtNotifier qt_notifier(&form1());
  ScaleSession session(qt_notifier);
  session.SetReadTimeout(std::chrono::milliseconds(100));
  std::string identity;
  ASSERT_TRUE(session.Connect(*PortName::Parse(scale->SlavePath()), 9600, identity));
  reports::ReportsTab tab(session, ui::Services{qt_notifier, files, clock, '.', outcomes});
  sim::FaultOptions silent;
  silent.silent = true;
  scale->SetFaults(silent);
  bool answered = false;
  QTimer::singleShot(0, [&answered] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    QAbstractButton* ok = box->button(QMessageBox::Ok);
    QTest::mouseClick(ok, Qt::LeftButton);
    answered = !box->isVisible();
    if (!answered) box->hide();  // ends its loop with no event the guard could swallow
  });
  Click(tab.Button18);
  EXPECT_TRUE(answered);
}

class PortBoxTest : public GuiTest {};

TEST_F(PortBoxTest, TheListIsAsWideAsItsLongestEntryAndTheClosedBoxShowsTheEnd) {
  QComboBox& box = *form1().ComboBox2;
  const QString by_id = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";
  const int closed_width = box.width();
  for (const QString& item : {QStringLiteral("/dev/ttyS0"), by_id}) box.addItem(item);
  ui::FitDropDownToItems(box);
  box.showPopup();
  const QFontMetrics metrics(box.view()->font());
  EXPECT_GE(box.view()->viewport()->width(), metrics.horizontalAdvance(by_id));
  box.hidePopup();
  EXPECT_EQ(box.width(), closed_width);
  EXPECT_GE(box.lineEdit()->width(), QFontMetrics(box.font()).horizontalAdvance("/dev/ttyS0"));

  box.setCurrentText(by_id);
  box.lineEdit()->setCursorPosition(0);
  emit box.lineEdit()->editingFinished();
  EXPECT_EQ(box.lineEdit()->cursorPosition(), by_id.size());
}

}  // namespace
}  // namespace keldaro::gui_testing
