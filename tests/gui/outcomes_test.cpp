// After every run the main window says how it ended: what went through, where it failed, or
// that it was stopped; and the settings chains and the logo send can be stopped.
#include <QTest>
#include <functional>

#include "gui_fixture.h"
#include "link/commands.h"

namespace keldaro::gui_testing {
namespace {

class OutcomesTest : public GuiTest {
 protected:
  void SetUp() override { StartConnected(); }

  void FillRows(int count) {
    for (int row = 1; row <= count; ++row) {
      const QStringList cells = {QString::number(row),   "1.25", "7", "1", "1", "0", "0", "0",
                                 QStringLiteral("ELMA"), "3"};
      for (int c = 0; c < cells.size(); ++c) sheet().SetCell(row, c, cells[c]);
    }
  }

  settings::SettingsTab& settings_tab() { return *form1().TabSheet2; }
  logo::LogoWindow& logo() { return program->form4(); }
};

TEST_F(OutcomesTest, EveryRunSaysHowItEnded) {
  struct Case {
    const char* name;
    std::function<void()> prepare;
    std::function<QWidget*()> button;
    QString said;
  };
  const auto nothing = [] {};
  const std::vector<Case> cases = {
      {"PLU send", [this] { FillRows(4); }, [this] { return plu_tab().Button8; },
       "4 PLU gönderildi"},
      {"PLU send failing at its third record",
       [this] {
         FillRows(4);
         sim::FaultOptions faults;
         faults.silent_after = 2;
         scale->SetFaults(faults);
       },
       [this] { return plu_tab().Button8; }, "Hata: 3. PLU gönderilemedi"},
      {"PLU read", [this] { plu_tab().SpinEdit2->setValue(3); },
       [this] { return plu_tab().Button7; }, "5 PLU okundu"},
      {"settings send", nothing, [this] { return settings_tab().Button1; }, "Ayarlar gönderildi"},
      {"clock set", nothing, [this] { return settings_tab().Button13; }, "Saat ayarlandı"},
      {"logo send", nothing, [this] { return logo().Button2; }, "Logo gönderildi"},
      {"SYSTEM send", nothing, [this] { return form1().TabSheet4->Button2; },
       "Sistem parametreleri gönderildi"},
      {"report", nothing, [this] { return form1().TabSheet3->Button18; }, "Rapor okundu"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.prepare();
    Click(c.button());
    EXPECT_EQ(outcomes.Last(), c.said);
    scale->SetFaults({});
    if (!program->session().IsConnected()) ConnectToScale();
  }
}

TEST_F(OutcomesTest, AStopEndsTheRunBetweenCommandsAndSaysSo) {
  struct Case {
    const char* name;
    std::function<void()> start;  // arms the stop and clicks the run's button
    QString said;
  };
  const std::vector<Case> cases = {
      {"settings load",
       [this] {
         scale->ClearLog();
         ClickWhenShown(&program->form2(), program->form2().Button1);
         Click(settings_tab().Button9);
         EXPECT_EQ(scale->Requests().size(), 2u);  // stopped at its first pause
       },
       "Durduruldu: Ayarlar yarıda kaldı"},
      {"PLU send",
       [this] {
         FillRows(10);
         ClickWhenShown(&program->form2(), program->form2().Button1);
         Click(plu_tab().Button8);
       },
       "Durduruldu: 2 / 10 PLU gönderildi"},
      {"logo send",
       [this] {
         logo().show();  // the stop appears only in a window on the screen
         QImage picture(200, 8, QImage::Format_RGB32);
         picture.fill(Qt::gray);
         files.answers = {config_dir.filePath("gray.png")};
         ASSERT_TRUE(picture.save(files.answers.front()));
         Click(logo().Button1);
         ClickWhenShown(logo().StopButton, logo().StopButton);
         Click(logo().Button2);
       },
       "Durduruldu: Logo yarıda kaldı"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.start();
    EXPECT_EQ(outcomes.Last(), c.said);
    EXPECT_FALSE(program->form2().isVisible());
    EXPECT_TRUE(logo().Button2->isVisibleTo(&logo()));
  }
}

}  // namespace
}  // namespace keldaro::gui_testing
