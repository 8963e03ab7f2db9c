// The sends that overwrite the scale's settings or calibration ask first: what the form held
// before the send decides whether the settings send asks, the answer whether anything goes out.
#include <QTemporaryDir>

#include "gui_fixture.h"
#include "link/commands.h"

namespace keldaro::gui_testing {
namespace {

// The cases' steps below reach the fixture from outside it.
class OverwriteGuardTest : public GuiTest {
 public:
  using GuiTest::Click;
  using GuiTest::files;
  void SetUp() override { StartConnected(); }
  settings::SettingsTab& tab() { return *form1().TabSheet2; }
  void Reconnect() {
    Click(form1().Button11);
    ConnectToScale();
  }
  QTemporaryDir dir;
};

struct SettingsCase {
  const char* name;
  void (*before_send)(OverwriteGuardTest&);
  bool asks;
  bool note_shown;
};

// Each case runs its steps, then sends once answering "no" and once answering "yes".
class SettingsSendGuard : public OverwriteGuardTest,
                          public ::testing::WithParamInterface<SettingsCase> {};

TEST_P(SettingsSendGuard, AsksUnlessTheFormHoldsThisScalesValues) {
  GetParam().before_send(*this);
  EXPECT_EQ(!tab().NotFromScaleNote->isHidden(), GetParam().note_shown);
  scale->ClearLog();
  notifier.Reset();
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

const SettingsCase kSettingsCases[] = {
    {"StartValues", [](OverwriteGuardTest&) {}, true, true},
    {"LoadedFromTheScale", [](OverwriteGuardTest& t) { t.Click(t.tab().Button9); }, false, false},
    {"LoadedFromAFile",
     [](OverwriteGuardTest& t) {
       const QString name = t.dir.filePath("a.json");
       t.files.answers = {name, name};
       t.Click(t.tab().SaveFileButton);
       t.Click(t.tab().LoadFileButton);
     },
     false, false},
    {"FactoryPresetsAfterALoad",
     [](OverwriteGuardTest& t) {
       t.Click(t.tab().Button9);
       t.Click(t.tab().Button25);
     },
     true, true},
    {"LoadedBeforeAReconnect",
     [](OverwriteGuardTest& t) {
       t.Click(t.tab().Button9);
       t.Reconnect();
     },
     true, false},
    {"SentBeforeOnThisConnection", [](OverwriteGuardTest& t) { t.Click(t.tab().Button1); }, false,
     false},
};
INSTANTIATE_TEST_SUITE_P(Steps, SettingsSendGuard, ::testing::ValuesIn(kSettingsCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(OverwriteGuardTest, TheSystemSendAsksEveryTimeAndSendsOnlyOnYes) {
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
