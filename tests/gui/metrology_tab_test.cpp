// The SYSTEM tab with its real widgets against the virtual scale: what "SEND" puts on the wire,
// the conversions that stop it, and the preset buttons.
#include <QLineEdit>
#include <QTest>

#include "gui_fixture.h"
#include "link/commands.h"

namespace keldaro::gui_testing {
namespace {

class MetrologyTabTest : public GuiTest, public ::testing::WithParamInterface<QChar> {
 protected:
  void SetUp() override { StartConnected(GetParam()); }
  metrology::MetrologyTab& tab() { return *form1().TabSheet4; }
  std::vector<std::vector<std::uint8_t>> Sent() const {
    std::vector<std::vector<std::uint8_t>> payloads;
    for (const sim::ReceivedRequest& r : scale->Requests()) {
      if (r.code == cmd::kMetrology) payloads.push_back(r.payload);
    }
    return payloads;
  }
  static std::vector<std::uint8_t> Bytes(const std::array<std::uint8_t, 24>& payload) {
    return {payload.begin(), payload.end()};
  }
};
KELDARO_FOR_EACH_SEPARATOR(MetrologyTabTest);

TEST_P(MetrologyTabTest, SendGoesOutWithTheStartValuesWhereTheirMaxTareReads) {
  Click(tab().Button2);
  if (GetParam() == u',') {
    // "6.0" is not a number where the separator is a comma: nothing goes out.
    EXPECT_EQ(notifier.CountOf("'6.0' is not a valid floating point value"), 1);
    EXPECT_TRUE(Sent().empty());
    // Typed with a point, the user's comma is what the field gets.
    tab().Edit4->clear();
    QTest::keyClicks(tab().Edit4, "6.0");
    EXPECT_EQ(tab().Edit4->text(), "6,0");
    Click(tab().Button2);
  }
  ASSERT_EQ(Sent().size(), 1u) << LastError();
  EXPECT_EQ(Sent()[0], Bytes(metrology::EncodeMetrology(metrology::MetrologyRecord{})));
}

TEST_P(MetrologyTabTest, PresetsFillTheControlsAndSendNothing) {
  for (std::size_t i = 0; i < metrology::Presets().size(); ++i) {
    Click(tab().preset_buttons[i]);
    EXPECT_EQ(tab().Record(), metrology::Presets()[i].values) << i;
    EXPECT_EQ(tab().preset_buttons[i]->text(), metrology::Presets()[i].caption);
  }
  EXPECT_TRUE(Sent().empty());
  Click(tab().preset_buttons.back());  // Button32
  Click(tab().Button2);
  const auto sent = Sent();
  ASSERT_EQ(sent.size(), 1u) << LastError();
  EXPECT_EQ(sent[0][3], 20);
  EXPECT_EQ(std::vector<std::uint8_t>(sent[0].begin() + 13, sent[0].begin() + 17),
            (std::vector<std::uint8_t>{0x00, 0x01, 0x7E, 0x16}));
}

TEST_P(MetrologyTabTest, EmptiedSpinFieldsSendTheirMinimum) {
  tab().Edit4->setText("6");
  for (QSpinBox* spin :
       {tab().SpinEdit10, tab().SpinEdit9, tab().SpinEdit7, tab().SpinEdit8, tab().SpinEdit11}) {
    spin->findChild<QLineEdit*>()->clear();
  }
  Click(tab().Button2);
  const auto sent = Sent();
  ASSERT_EQ(sent.size(), 1u) << LastError();
  const std::vector<std::uint8_t>& p = sent[0];
  EXPECT_EQ(p[3], 11);                            // digits
  EXPECT_EQ(p[6] << 8 | p[7], 1);                 // unit
  EXPECT_EQ(p[11] << 8 | p[12], 97000 & 0xFFFF);  // local g
  EXPECT_EQ(p[15] << 8 | p[16], 97000 & 0xFFFF);  // destination g
  EXPECT_EQ(p[17], 0);                            // initial zero, %
}

TEST_P(MetrologyTabTest, AListTextThatIsNotANumberSendsNothing) {
  tab().ComboBox6->setEditText("fine");
  Click(tab().Button2);
  EXPECT_EQ(notifier.CountOf("'fine' is not a valid integer value"), 1);
  tab().ComboBox6->setEditText("2");
  tab().Edit4->setText("1e306");  // its grams overflow
  Click(tab().Button2);
  EXPECT_EQ(notifier.CountOf("'1e306' is not a valid floating point value"), 1);
  EXPECT_TRUE(Sent().empty());
  Click(form1().Button11);
  Click(tab().Button2);
  EXPECT_EQ(notifier.CountOf(kNotConnectedText), 1);
}

}  // namespace
}  // namespace keldaro::gui_testing
