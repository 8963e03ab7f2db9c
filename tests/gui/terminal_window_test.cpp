// The terminal window with its real widgets and real key events against the virtual scale.
#include <QLabel>

#include "gui_fixture.h"
#include "terminal/keypad.h"
#include "terminal/terminal_runs.h"
#include "ui/run_input_guard.h"

namespace keldaro::gui_testing {
namespace {

class TerminalWindowTest : public GuiTest {
 protected:
  terminal::TerminalWindow& form3() { return program->form3(); }

  // Connects and opens the window with "TERMINAL", as the user does.
  void OpenTerminal() {
    ConnectToScale();
    Click(form1().Button16);
    ASSERT_TRUE(form3().isVisible());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form3()));
  }

  // The key codes the scale received, in order.
  std::vector<std::uint8_t> KeysSent() const {
    std::vector<std::uint8_t> keys;
    for (const sim::ReceivedRequest& r : scale->Requests()) {
      if (r.code == cmd::kKey && r.payload.size() == 1) keys.push_back(r.payload[0]);
    }
    return keys;
  }

  // A key pressed and released on the PC keyboard, delivered as the window system delivers it.
  void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(form3().windowHandle(), key, modifiers);
  }

  bool Shown(const char* indicator) {
    return form3().findChild<QLabel*>(indicator)->isVisibleTo(&form3());
  }
};

TEST_F(TerminalWindowTest, TerminalNeedsAConnection) {
  Click(form1().Button16);
  EXPECT_EQ(notifier.CountOf(kNotConnectedText), 1);
  EXPECT_FALSE(form3().isVisible());
}

TEST_F(TerminalWindowTest, EachKeypadButtonSendsItsOwnCodeOnce) {
  OpenTerminal();
  scale->ClearLog();
  Click(form3().findChild<QPushButton*>("Button20"));  // "00"
  Click(form3().findChild<QPushButton*>("Button6"));   // "ON"
  EXPECT_EQ(KeysSent(), (std::vector<std::uint8_t>{0x2E, 0x51}));

  scale->ClearLog();
  std::vector<std::uint8_t> expected;
  for (std::size_t i = 0; i < form3().buttons.size(); ++i) {
    Click(form3().buttons[i]);
    expected.push_back(terminal::Keypad()[i].code);
  }
  EXPECT_EQ(KeysSent(), expected);
  EXPECT_TRUE(notifier.errors.empty()) << LastError();
}

TEST_F(TerminalWindowTest, PcKeysSendTheMappedCodeOnceAndStillReachTheFocusedControl) {
  OpenTerminal();
  scale->ClearLog();
  Press(Qt::Key_F3);                     // "PAY"
  Press(Qt::Key_A);                      // not in the map
  Press(Qt::Key_Escape);                 // "C"
  Press(Qt::Key_L, Qt::ShiftModifier);   // "LF", either case
  Press(Qt::Key_5, Qt::KeypadModifier);  // only the main block's digits count
  Press(Qt::Key_Left);                   // "<"
  EXPECT_EQ(KeysSent(), (std::vector<std::uint8_t>{0x63, 0x00, 0x43, 0x73, 0x62, 0x00, 0x65}));
  scale->ClearLog();
  Press(Qt::Key_Exclam, Qt::ShiftModifier);  // Shift+1 on a US layout: Shift, then the digit
  EXPECT_EQ(KeysSent(), (std::vector<std::uint8_t>{0x73, 0x31}));

  // A key the focused button ignores travels on to the window, and is still sent only once;
  // Space is the button's own key: it is sent (as 0x00) and then clicks the button.
  QPushButton* seven = form3().buttons[0];
  seven->setFocus();
  scale->ClearLog();
  Press(Qt::Key_A);
  Press(Qt::Key_Space);
  EXPECT_EQ(KeysSent(), (std::vector<std::uint8_t>{0x00, 0x00, 0x37}));
}

TEST_F(TerminalWindowTest, AKeyTypedWhileARunHoldsTheInputIsNotSent) {
  OpenTerminal();
  scale->ClearLog();
  {
    const ui::RunInputGuard run_in_hand;
    Press(Qt::Key_Escape);
  }
  EXPECT_TRUE(KeysSent().empty());
}

TEST_F(TerminalWindowTest, KeysTypedOnThePcDriveTheScalesDisplay) {
  OpenTerminal();
  for (Qt::Key key : {Qt::Key_1, Qt::Key_2, Qt::Key_3, Qt::Key_5}) Press(key);
  form3().Timer1Timer();
  EXPECT_EQ(form3().lines[1]->text(), "    1235");  // the unit price typed, 12.35
  EXPECT_EQ(form3().point_overlays[1]->text(), "     .  ");
}

TEST_F(TerminalWindowTest, ThePollMirrorsLinesPointsAndIndicators) {
  MakeProgram(',');
  OpenTerminal();
  scale->WithState([](sim::ScaleState& s) {
    s.display = {"  12345", "ABCDEFG", "      0"};
    s.decimal_points = {2, 0, 9};
    s.indicators_a = 0x09;  // STAB and NET
    s.indicators_b = 0x04;  // SBT
  });
  form3().Timer1Timer();
  EXPECT_EQ(form3().lines[0]->text(), "   12345");
  EXPECT_EQ(form3().lines[1]->text(), " ABCDEFG");
  EXPECT_EQ(form3().point_overlays[0]->text(), "     ,  ");  // position 6 of 8
  EXPECT_EQ(form3().point_overlays[1]->text(), "       ,");
  EXPECT_EQ(form3().point_overlays[2]->text(), "        ");  // beyond 7: no separator
  for (const char* on : {"Label4", "Label6", "Label13"}) EXPECT_TRUE(Shown(on)) << on;
  for (const char* off : {"Label5", "Label8", "Label7", "Label9", "Label14", "Label15"}) {
    EXPECT_FALSE(Shown(off)) << off;
  }
  EXPECT_TRUE(notifier.errors.empty()) << LastError();
}

TEST_F(TerminalWindowTest, PollingRunsOnlyWhileTheWindowIsActive) {
  OpenTerminal();
  EXPECT_TRUE(form3().Timer1->isActive());
  const int before = RequestCount(cmd::kDisplayPoll);
  EXPECT_TRUE(QTest::qWaitFor([&] { return RequestCount(cmd::kDisplayPoll) >= before + 2; }));

  form1().activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form1()));
  EXPECT_FALSE(form3().Timer1->isActive());

  form3().activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form3()));
  EXPECT_TRUE(form3().Timer1->isActive());

  form3().close();  // only hides it
  EXPECT_FALSE(form3().Timer1->isActive());
  EXPECT_TRUE(program->session().IsConnected());
}

TEST_F(TerminalWindowTest, ASilentScaleGreysTheDisplayWithoutAMessageUntilItAnswersAgain) {
  OpenTerminal();
  form3().Timer1Timer();
  const QColor live = form3().Panel1->palette().color(QPalette::Window);
  const QString shown = form3().lines[0]->text();
  sim::FaultOptions faults;
  faults.silent = true;
  scale->SetFaults(faults);
  form3().Timer1Timer();
  EXPECT_TRUE(form3().LinkLostNote->isVisible());
  EXPECT_NE(form3().Panel1->palette().color(QPalette::Window), live);
  EXPECT_TRUE(form3().Timer1->isActive());  // keeps trying
  EXPECT_TRUE(notifier.errors.empty()) << LastError();
  EXPECT_EQ(form3().lines[0]->text(), shown);  // the last good display stays, greyed

  faults.silent = false;
  scale->SetFaults(faults);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !form3().LinkLostNote->isVisible(); }, 5000));
  EXPECT_EQ(form3().Panel1->palette().color(QPalette::Window), live);
  EXPECT_EQ(form3().Timer1->interval(), terminal::kDisplayPollInterval.count());
}

TEST_F(TerminalWindowTest, APollDueWhileAKeyCommandIsInHandSkipsItsTurn) {
  OpenTerminal();
  sim::FaultOptions faults;
  faults.silent = true;
  scale->SetFaults(faults);
  scale->ClearLog();
  bool still_polling = false;
  int polls_sent = -1;
  notifier.while_shown = [&] {  // "Comunication Error!" is up: the timer fires inside its loop
    form3().Timer1Timer();
    still_polling = form3().Timer1->isActive();
    polls_sent = RequestCount(cmd::kDisplayPoll);
  };
  Click(form3().buttons[0]);
  notifier.while_shown = nullptr;
  EXPECT_EQ(notifier.CountOf(kCommunicationErrorText), 1);
  EXPECT_TRUE(still_polling);
  EXPECT_EQ(polls_sent, 0);
}

}  // namespace
}  // namespace keldaro::gui_testing
