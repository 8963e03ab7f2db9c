// The sends that overwrite the scale's settings or calibration ask first: what the form held
// before the send decides whether the settings send asks, the answer whether anything goes out.
#include "gui_fixture.h"
#include "link/commands.h"

namespace keldaro::gui_testing {
namespace {

struct Steps {
  const char* name;
  std::vector<int> buttons;  // 9 "Terazi'den yükle", 25 "Fabrika ayarı", 11 reconnect
  bool asks;
};
void PrintTo(const Steps& steps, std::ostream* os) { *os << steps.name; }

class SettingsSendGuard : public GuiTest, public ::testing::WithParamInterface<Steps> {
 protected:
  void SetUp() override { StartConnected(); }
  settings::SettingsTab& tab() { return *form1().TabSheet2; }
};

// The steps, then one send answered "no" and, when asked, one answered "yes".
TEST_P(SettingsSendGuard, AsksUnlessTheFormHoldsThisConnectionsValues) {
  for (int b : GetParam().buttons) {
    if (b == 11) Click(form1().Button11);  // disconnect; the click below connects again
    Click(b == 9 ? tab().Button9 : b == 25 ? tab().Button25 : form1().Button11);
  }
  EXPECT_EQ(tab().NotFromScaleNote->isHidden(), GetParam().buttons.back() != 25);
  scale->ClearLog();
  notifier.answers = {false, true};
  Click(tab().Button1);
  if (GetParam().asks) {
    ASSERT_EQ(notifier.questions.size(), 1u);
    EXPECT_EQ(notifier.questions[0].title, "Terazi'ye gönder");
    EXPECT_NE(notifier.questions[0].text.find("kısım isimleri, vergi oranları"), std::string::npos);
    EXPECT_TRUE(scale->Requests().empty());
    Click(tab().Button1);
  }
  EXPECT_EQ(RequestCount(cmd::kWriteSettings), 1);
  EXPECT_EQ(notifier.questions.size(), GetParam().asks ? 2u : 0u);
  EXPECT_TRUE(tab().NotFromScaleNote->isHidden());
  EXPECT_TRUE(notifier.errors.empty()) << LastError();
}

INSTANTIATE_TEST_SUITE_P(Before, SettingsSendGuard,
                         ::testing::Values(Steps{"AFactorySet", {25}, true},
                                           Steps{"ALoad", {9}, false},
                                           Steps{"ALoadThenAFactorySet", {9, 25}, true},
                                           Steps{"ALoadThenAReconnect", {9, 11}, true}),
                         [](const auto& info) { return std::string(info.param.name); });

using SystemSendGuard = GuiTest;

TEST_F(SystemSendGuard, AsksEveryTimeAndSendsOnlyOnYes) {
  ConnectToScale();
  scale->ClearLog();
  notifier.answers = {false, true};
  Click(form1().TabSheet4->Button2);
  ASSERT_EQ(notifier.questions.size(), 1u);
  EXPECT_NE(notifier.questions[0].text.find("kalibrasyon"), std::string::npos);
  EXPECT_TRUE(scale->Requests().empty());
  Click(form1().TabSheet4->Button2);
  EXPECT_EQ(notifier.questions.size(), 2u);
  EXPECT_EQ(RequestCount(cmd::kMetrology), 1);
}

}  // namespace
}  // namespace keldaro::gui_testing
