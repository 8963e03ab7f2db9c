// Connecting and disconnecting from the main window, the status label and the SYSTEM tab.
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include "core/conversion_error.h"
#include "gui_fixture.h"
#include "link/scale_session.h"
#include "ui/handler_guard.h"

namespace keldaro::gui_testing {
namespace {

using app::MainWindow;

TEST_F(GuiTest, StartsDisconnectedOnThePluTabWithTheSystemTabHidden) {
  MainWindow& w = form1();
  EXPECT_EQ(w.windowTitle(), "VUN KELDARO UTILITY ZIR1.70");
  EXPECT_EQ(w.PageControl1->currentIndex(), MainWindow::kPluTab);
  EXPECT_FALSE(w.PageControl1->isTabVisible(MainWindow::kSystemTab));
  EXPECT_EQ(w.ComboBox1->currentText(), "9600");
  EXPECT_EQ(w.ComboBox2->currentText(), "COM1");
  EXPECT_EQ(w.Button11->text(), QString(app::kConnectCaption));
  EXPECT_EQ(w.Shape1->color(), app::kLampOff);
  EXPECT_EQ(plu_tab().SpinEdit1->value(), 1);
  EXPECT_EQ(plu_tab().SpinEdit2->value(), 1799);
  EXPECT_EQ(w.findChild<QWidget*>("StringGrid1"), plu_tab().StringGrid1);
  EXPECT_EQ(scale->FramesReceived(), 0);  // nothing is sent before the user connects
}

TEST_F(GuiTest, ConnectShowsTheIdentityAndDisconnectPutsTheWindowBack) {
  ConnectToScale();
  MainWindow& w = form1();
  EXPECT_EQ(w.Button11->text(), QString(app::kDisconnectCaption));
  EXPECT_EQ(w.Shape1->color(), app::kLampOn);
  EXPECT_EQ(w.StaticText1->text(), "Terazi ID: KELDARO SIM 1.0");
  EXPECT_EQ(w.Label4->text(), "STATUS:00");
  EXPECT_TRUE(notifier.errors.empty()) << LastError();

  Click(w.Button11);
  EXPECT_FALSE(program->session().IsConnected());
  EXPECT_EQ(w.Button11->text(), QString(app::kConnectCaption));
  EXPECT_EQ(w.Shape1->color(), app::kLampOff);
  EXPECT_TRUE(w.StaticText1->text().isEmpty());
  EXPECT_EQ(w.Label4->text(), "STATUS:00");  // the last status stays

  // Disconnected, a scale action is refused before anything is sent.
  scale->ClearLog();
  Click(plu_tab().Button7);
  EXPECT_EQ(notifier.CountOf(kNotConnectedText), 1);
  EXPECT_EQ(scale->FramesReceived(), 0);
}

TEST_F(GuiTest, ATurkishIdentityIsShownFromItsCodePage) {
  scale->WithState([](sim::ScaleState& s) {
    s.identity =
        "TERAZ\xDD \xDE"
        "UBE";
  });  // İ, Ş
  ConnectToScale();
  EXPECT_EQ(form1().StaticText1->text(), QStringLiteral("Terazi ID: TERAZİ ŞUBE"));
}

TEST_F(GuiTest, ASilentScaleLeavesTheWindowDisconnected) {
  sim::FaultOptions faults;
  faults.silent = true;
  scale->SetFaults(faults);
  Click(form1().Button11);
  EXPECT_EQ(notifier.CountOf(kCommunicationErrorText), 1);
  EXPECT_FALSE(program->session().IsConnected());
  EXPECT_EQ(form1().Button11->text(), QString(app::kConnectCaption));
  EXPECT_EQ(form1().Shape1->color(), app::kLampOff);
  EXPECT_TRUE(form1().StaticText1->text().isEmpty());
}

TEST_F(GuiTest, APortThatGoesAwayPutsTheWindowInItsDisconnectedLook) {
  ConnectToScale();
  scale->Stop();  // the far end of the line is gone, as with an unplugged adapter
  Click(form1().TabSheet2->Button4);
  ASSERT_EQ(notifier.CountOf(kCommunicationErrorText), 1);
  EXPECT_EQ(notifier.errors[0].detail, LinkFailureText(LinkFailure::kPortGone));
  EXPECT_FALSE(program->session().IsConnected());
  EXPECT_EQ(form1().Button11->text(), QString(app::kConnectCaption));
  EXPECT_EQ(form1().Shape1->color(), app::kLampOff);
  EXPECT_TRUE(form1().StaticText1->text().isEmpty());
}

TEST_F(GuiTest, TheSystemTabFollowsBitTwoOfTheStatus) {
  scale->SetStatus(0x04);
  ConnectToScale();
  MainWindow& w = form1();
  EXPECT_EQ(w.Label4->text(), "STATUS:04");
  EXPECT_TRUE(w.PageControl1->isTabVisible(MainWindow::kSystemTab));

  // Any later command decides again: a one-PLU read with status 0x00 hides it.
  scale->SetStatus(0x00);
  plu_tab().SpinEdit1->setValue(5);
  plu_tab().SpinEdit2->setValue(5);
  Click(plu_tab().Button7);
  EXPECT_EQ(w.Label4->text(), "STATUS:00");
  EXPECT_FALSE(w.PageControl1->isTabVisible(MainWindow::kSystemTab));

  scale->SetStatus(0xAB);  // bit 2 clear, other bits shown as they are
  Click(plu_tab().Button7);
  EXPECT_EQ(w.Label4->text(), "STATUS:AB");
  EXPECT_FALSE(w.PageControl1->isTabVisible(MainWindow::kSystemTab));
}

TEST_F(GuiTest, DisconnectingOnTheSystemTabShowsThePluTab) {
  scale->SetStatus(0x04);
  ConnectToScale();
  MainWindow& w = form1();
  w.PageControl1->setCurrentIndex(MainWindow::kSystemTab);
  ASSERT_EQ(w.PageControl1->currentIndex(), MainWindow::kSystemTab);
  Click(w.Button11);
  EXPECT_EQ(w.PageControl1->currentIndex(), MainWindow::kPluTab);
  EXPECT_FALSE(w.PageControl1->isTabVisible(MainWindow::kSystemTab));
  EXPECT_EQ(w.Label4->text(), "STATUS:04");
}

TEST_F(GuiTest, ATypedPortWithNoMatchingItemOpensNoPort) {
  MainWindow& w = form1();
  // No such device, no COM port's number, no name at all.
  const char* const typed[] = {"USB", "COM0", ""};
  int refused = 0;
  for (const char* text : typed) {
    w.ComboBox2->setCurrentText("");
    QTest::keyClicks(w.ComboBox2->lineEdit(), text);
    Click(w.Button11);
    EXPECT_EQ(notifier.CountOf(kCannotOpenPortText), ++refused) << text;
    EXPECT_FALSE(program->session().IsConnected()) << text;
  }
  EXPECT_EQ(scale->FramesReceived(), 0);

  // The typed name of an item selects it again.
  w.ComboBox2->setCurrentText("COM1");
  ConnectToScale();
}

TEST_F(GuiTest, TheMachinesPortsFollowTheEightComItemsAndConnectByTheirDevice) {
  MainWindow& w = form1();
  ASSERT_GT(w.ComboBox2->count(), 8);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(w.ComboBox2->itemText(i), "COM" + QString::number(i + 1));
  // The fixture names the scale's pty as COM1, so it is among the machine's ports.
  const QString pty = QFileInfo(QString::fromStdString(scale->SlavePath())).canonicalFilePath();
  const int index = w.ComboBox2->findText(pty);
  ASSERT_GE(index, 8);
  w.ComboBox2->setCurrentIndex(index);
  // Opened by its path: COM1 naming another device changes nothing.
  qputenv("KELDARO_COM1", "/dev/nonexistent-tty");
  Click(w.Button11);
  EXPECT_TRUE(program->session().IsConnected()) << LastError();
  EXPECT_EQ(w.StaticText1->text(), "Terazi ID: KELDARO SIM 1.0");
}

TEST_F(GuiTest, ATypedDevicePathConnectsAndAMissingOneFails) {
  MainWindow& w = form1();
  w.ComboBox2->setCurrentText("/dev/nonexistent-tty");
  Click(w.Button11);
  EXPECT_EQ(notifier.CountOf(kCannotOpenPortText), 1);
  EXPECT_EQ(scale->FramesReceived(), 0);

  // A link of its own to the scale's pty: a device path that is no item of the box.
  const QString link = QString::fromStdString(::testing::TempDir()) + "keldaro-gui-typed-port";
  QFile::remove(link);
  ASSERT_TRUE(QFile::link(QString::fromStdString(scale->SlavePath()), link));
  w.ComboBox2->setCurrentText(link);
  ASSERT_EQ(w.ComboBox2->findText(link), -1);
  qputenv("KELDARO_COM1", "/dev/nonexistent-tty");
  Click(w.Button11);
  EXPECT_TRUE(program->session().IsConnected()) << LastError();
  QFile::remove(link);
}

TEST_F(GuiTest, ASpeedThatIsNotANumberShowsTheConversionErrorAndOpensNothing) {
  form1().ComboBox1->setCurrentText("96OO");
  Click(form1().Button11);
  ASSERT_EQ(notifier.errors.size(), 1u);
  EXPECT_EQ(notifier.errors[0].title, ui::kGeneralErrorTitle);
  EXPECT_EQ(notifier.errors[0].text, "'96OO' is not a valid integer value");
  EXPECT_FALSE(program->session().IsConnected());
  EXPECT_EQ(scale->FramesReceived(), 0);
}

TEST_F(GuiTest, HelpOpensWithoutAConnectionTerminalNeedsOne) {
  Click(form1().Button15);
  EXPECT_TRUE(program->form5().isVisible());
  EXPECT_EQ(program->form5().Memo1->toPlainText().split('\n').size(), 20);

  Click(form1().Button16);
  EXPECT_EQ(notifier.CountOf(kNotConnectedText), 1);
  EXPECT_FALSE(program->form3().isVisible());
  ConnectToScale();
  Click(form1().Button16);
  EXPECT_TRUE(program->form3().isVisible());
  EXPECT_EQ(program->form3().windowTitle(), "TERMINAL");
}

TEST_F(GuiTest, GrafikLogoOpensTheLogoWindowOnlyWithAConnection) {
  Click(form1().TabSheet2->Button14);
  EXPECT_EQ(notifier.CountOf(kNotConnectedText), 1);
  EXPECT_FALSE(program->form4().isVisible());
  ConnectToScale();
  Click(form1().TabSheet2->Button14);
  EXPECT_TRUE(program->form4().isVisible());
  EXPECT_EQ(program->form4().windowTitle(), QStringLiteral("Logo yükle"));
}

TEST(HandlerGuard, ShowsAConversionErrorAndLetsNoExceptionThrough) {
  keldaro::testing::RecordingNotifier notifier;
  ui::RunGuarded(notifier, [] { throw ConversionError::NotFloat("1,5"); });
  ui::RunGuarded(notifier, [] { throw std::logic_error("broken"); });
  ASSERT_EQ(notifier.errors.size(), 2u);
  EXPECT_EQ(notifier.errors[0].text, "'1,5' is not a valid floating point value");
  EXPECT_EQ(notifier.errors[1].text, "broken");
}

}  // namespace
}  // namespace keldaro::gui_testing
