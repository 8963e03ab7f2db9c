// The "Ayarlar" tab with its real widgets against the virtual scale: what its buttons put on
// the wire, what a load shows, the tax cells' typing check, the factory set and the clock.
#include <QApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include "core/cp1254.h"
#include "gui_fixture.h"
#include "link/commands.h"
#include "settings/settings_codec.h"

namespace keldaro::gui_testing {
namespace {

using namespace Qt::StringLiterals;
using settings::kEuroSign;

class SettingsTabTest : public GuiTest, public ::testing::WithParamInterface<QChar> {
 protected:
  void SetUp() override { StartConnected(GetParam()); }

  settings::SettingsTab& tab() { return *form1().TabSheet2; }
  QString Decimal(const char* text) const {
    return QString::fromLatin1(text).replace('.', GetParam());
  }

  // The payload of the first request of `code` the scale received.
  std::vector<std::uint8_t> Sent(std::uint8_t code) const {
    for (const sim::ReceivedRequest& r : scale->Requests()) {
      if (r.code == code) return r.payload;
    }
    ADD_FAILURE() << "no request " << int(code);
    return {};
  }
  std::vector<std::uint8_t> SentBlock() const { return Sent(cmd::kWriteSettings); }

  void SetScaleBlock(std::size_t at, std::initializer_list<std::uint8_t> bytes) {
    scale->WithState([&](sim::ScaleState& s) {
      std::copy(bytes.begin(), bytes.end(), s.settings.begin() + at);
    });
  }

  // Selects a tax cell and opens its editor.
  QLineEdit* EditTax(int row) {
    return OpenCellEditor(tab().StringGrid3, tab().StringGrid3->model()->index(row, 1));
  }

  void ExpectNormalCursor() { EXPECT_EQ(QApplication::overrideCursor(), nullptr); }
};
KELDARO_FOR_EACH_SEPARATOR(SettingsTabTest);

TEST_P(SettingsTabTest, TheStartValuesGoOutAsTheWorkedBlock) {
  EXPECT_EQ(tab().StringGrid3->item(0, 1)->text(), Decimal("0.00"));
  EXPECT_EQ(tab().StringGrid3->item(7, 0)->text(), "H");
  EXPECT_EQ(tab().StringGrid2->item(39, 0)->text(), "39");
  Click(tab().Button1);
  const std::string block = settings::EncodeSettingsBlock(settings::SettingsRecord{});
  EXPECT_EQ(SentBlock(), std::vector<std::uint8_t>(block.begin(), block.end()));
  EXPECT_EQ(static_cast<int>(SentBlock()[46]), 0x80);
  EXPECT_EQ(tab().Edit9->text(), "EUR");
  EXPECT_EQ(scale->Requests().size(), 54u);
  EXPECT_TRUE(notifier.errors.empty()) << LastError();
  ExpectNormalCursor();
}

TEST_P(SettingsTabTest, ALoadShowsWhatTheControlsCanHoldAndASendGivesItBack) {
  SetScaleBlock(0, {7, 0xA5});                      // no such mode; print options
  SetScaleBlock(36, {0, 0, 0, 76, 5, 0x01, 0x90});  // line speed 76, LAN 5, auto-off 400
  SetScaleBlock(46, {0x80, 0, 0, 0});               // the euro sign
  scale->WithState([](sim::ScaleState& s) {
    s.tax_rates = {1800, 875, -500, 0, 0, 0, 0, 0};
    s.departments[11] =
        "\xDE"
        "EKER";  // "ŞEKER" in the scale's code page
  });
  Click(tab().Button9);
  ASSERT_TRUE(notifier.errors.empty()) << LastError();
  EXPECT_EQ(tab().ComboBox3->currentIndex(), -1);
  EXPECT_TRUE(tab().CheckBox1->isChecked() && tab().CheckBox3->isChecked() &&
              tab().CheckBox6->isChecked() && tab().CheckBox8->isChecked());
  EXPECT_FALSE(tab().CheckBox2->isChecked() || tab().CheckBox4->isChecked() ||
               tab().CheckBox5->isChecked() || tab().CheckBox7->isChecked());
  EXPECT_EQ(tab().ComboBox4->currentText(), "76");
  EXPECT_EQ(tab().SpinEdit3->value(), 240);
  EXPECT_EQ(tab().Edit9->text(), kEuroSign);
  EXPECT_EQ(tab().StringGrid2->item(11, 1)->text(), u"ŞEKER"_s);
  EXPECT_EQ(tab().StringGrid3->item(1, 1)->text(), Decimal("8.75"));
  EXPECT_EQ(tab().StringGrid3->item(2, 1)->text(), "-5");
  ExpectNormalCursor();

  scale->ClearLog();
  Click(tab().Button1);
  const std::vector<std::uint8_t> block = SentBlock();
  EXPECT_EQ(block[0], 255);  // no mode selected
  EXPECT_EQ(block[1], 0xA5);
  EXPECT_EQ(block[39], 76);
  EXPECT_EQ(block[41], 0);
  EXPECT_EQ(block[42], 240);
  EXPECT_EQ(block[46], 0x80);
  EXPECT_EQ(tab().Edit9->text(), "EUR");  // the received sign becomes EUR with the send
  const std::vector<std::uint8_t> taxes = Sent(cmd::kWriteTaxRates);
  EXPECT_EQ(std::vector<std::uint8_t>(taxes.begin(), taxes.begin() + 6),
            (std::vector<std::uint8_t>{0x07, 0x08, 0x03, 0x6B, 0xFE, 0x0C}));
}

TEST_P(SettingsTabTest, AnAutoPowerOffOfAllOnesShowsZero) {
  SetScaleBlock(41, {0xFF, 0xFF});
  Click(tab().Button9);
  EXPECT_EQ(tab().SpinEdit3->value(), 0);
}

TEST_P(SettingsTabTest, TextsAreCutToTheirFieldsAndLinesBeyondTheMemosAreNotSent) {
  tab().Edit1->setText("12345678901234567890");
  tab().Memo1->setPlainText(u"one\nt\u00A0wo\nthree"_s);  // a non-breaking space is byte 0xA0
  tab().Memo2->setPlainText("f1\nf2\nf3\nf4\nf5");
  Click(tab().Button1);
  const std::vector<std::uint8_t> block = SentBlock();
  EXPECT_EQ(std::string(block.begin() + 2, block.begin() + 19),
            "1234567890123456" + std::string(1, '\0'));
  std::vector<std::string> lines;
  for (const sim::ReceivedRequest& r : scale->Requests()) {
    if (r.code == cmd::kWriteReceiptLine)
      lines.emplace_back(reinterpret_cast<const char*>(&r.payload[1]));
  }
  EXPECT_EQ(lines, (std::vector<std::string>{"one", "t\xA0wo", "three", "", "", "", "f1", "f2"}));
}

TEST_P(SettingsTabTest, EveryWayASendEndsGivesEurBack) {
  // A speed that does not convert: nothing is sent, and the currency field was not touched.
  tab().ComboBox4->setEditText("fast");
  Click(tab().Button1);
  EXPECT_EQ(notifier.CountOf("'fast' is not a valid integer value"), 1);
  EXPECT_EQ(scale->FramesReceived(), 0);
  EXPECT_EQ(tab().Edit9->text(), "EUR");
  ExpectNormalCursor();

  // An empty tax cell: refused before the first command, the whole set kept together.
  tab().ComboBox4->setEditText("9600");
  tab().StringGrid3->item(3, 1)->setText("");
  Click(tab().Button1);
  EXPECT_EQ(notifier.CountOf("'' is not a valid floating point value"), 1);
  EXPECT_EQ(scale->FramesReceived(), 0);
  EXPECT_EQ(tab().Edit9->text(), "EUR");
  tab().StringGrid3->item(3, 1)->setText("0");

  // A scale that stops answering.
  sim::FaultOptions silent;
  silent.silent = true;
  scale->SetFaults(silent);
  Click(tab().Button1);
  EXPECT_EQ(notifier.CountOf(kCommunicationErrorText), 1);
  EXPECT_EQ(tab().Edit9->text(), "EUR");
  ExpectNormalCursor();

  // No connection at all: both buttons say so and send nothing.
  scale->SetFaults({});
  Click(form1().Button11);
  scale->ClearLog();
  Click(tab().Button1);
  Click(tab().Button9);
  EXPECT_EQ(notifier.CountOf(kNotConnectedText), 2);
  EXPECT_EQ(scale->FramesReceived(), 0);
  EXPECT_EQ(tab().Edit9->text(), "EUR");
}

TEST_P(SettingsTabTest, ALoadFailingAtDepartment12ShowsWhatArrivedAndKeepsTheRest) {
  for (int d = 0; d < settings::kDepartments; ++d) tab().StringGrid2->item(d, 1)->setText("old");
  tab().StringGrid3->item(0, 1)->setText("18");
  sim::FaultOptions faults;
  faults.silent_after = 1 + settings::kClerks + 8 + 12;  // block, clerks, lines, departments 0-11
  scale->SetFaults(faults);
  Click(tab().Button9);
  EXPECT_EQ(notifier.CountOf(kCommunicationErrorText), 1);
  for (int d = 0; d < settings::kDepartments; ++d) {
    EXPECT_EQ(tab().StringGrid2->item(d, 1)->text() == "old", d >= 12) << "department " << d;
  }
  EXPECT_EQ(tab().StringGrid3->item(0, 1)->text(), "18");
  std::string first_clerk;
  scale->WithState([&](sim::ScaleState& state) { first_clerk = state.clerks[0]; });
  EXPECT_EQ(tab().Edit3->text(), FromCp1254(first_clerk));  // arrived before the failure
  ExpectNormalCursor();
}

TEST_P(SettingsTabTest, TypingARateAbove99_99PutsBackTheTextTheCellHadWhenSelected) {
  QLineEdit* editor = EditTax(0);
  ASSERT_NE(editor, nullptr);
  editor->clear();
  QTest::keyClicks(editor, "100");
  EXPECT_EQ(editor->text(), Decimal("0.00"));
  EXPECT_EQ(notifier.beeps, 1);
  EXPECT_EQ(
      RefusalNote(),
      u"Vergi oranı: yalnızca rakam ve ondalık işareti, en çok 99.99"_s.replace(u'.', GetParam()));
  editor->clear();
  QTest::keyClicks(editor, Decimal("99.991"));
  EXPECT_EQ(tab().StringGrid3->item(0, 1)->text(), Decimal("0.00"));
  EXPECT_EQ(notifier.beeps, 2);
  // No lower limit; the sign goes in front of a number, since "-" alone is not one. The other
  // decimal mark is read as the user's.
  editor->clear();
  QTest::keyClicks(editor, GetParam() == u'.' ? "5,5" : "5.5");
  QTest::keyClick(editor, Qt::Key_Home);
  QTest::keyClicks(editor, "-");
  QTest::keyClick(editor, Qt::Key_Return);
  EXPECT_EQ(tab().StringGrid3->item(0, 1)->text(), Decimal("-5.5"));
  EXPECT_TRUE(notifier.errors.empty());
}

TEST_P(SettingsTabTest, TheFactorySetFillsTheControlsAndLeavesModeAndTaxes) {
  Click(form1().Button11);  // needs no link
  tab().Memo1->setPlainText("1\n2\n3\n4\n5\n6\n7\n8\n9\n10");
  tab().ComboBox3->setCurrentIndex(3);
  tab().StringGrid3->item(0, 1)->setText("18");
  tab().backlight->setChecked(false);
  Click(tab().Button25);
  EXPECT_TRUE(notifier.errors.empty());
  EXPECT_EQ(tab().Memo1->toPlainText().split('\n').size(), 6);
  EXPECT_EQ(tab().Memo2->toPlainText(), "~7 FOOTER MESSAGE\n12345678901234567890123456789012");
  EXPECT_EQ(tab().StringGrid2->item(5, 1)->text(), "GROUP 5");
  EXPECT_EQ(tab().ComboBox3->currentIndex(), 3);
  EXPECT_EQ(tab().StringGrid3->item(0, 1)->text(), "18");
  EXPECT_FALSE(tab().backlight->isChecked());

  Click(form1().Button11);
  scale->ClearLog();
  Click(tab().Button1);
  const std::vector<std::uint8_t> block = SentBlock();
  EXPECT_EQ(block[1], 0xDD);
  EXPECT_EQ(block[41], 0);
  EXPECT_EQ(block[42], 0);
  EXPECT_EQ(block[44], 50);
  EXPECT_EQ(std::vector<std::uint8_t>(block.begin() + 46, block.begin() + 50),
            (std::vector<std::uint8_t>{0x59, 0x54, 0x4C, 0x00}));
  EXPECT_EQ(block[50], settings::kTax | settings::kSavePlu);
}

TEST_P(SettingsTabTest, TheClockSendsTheHeldValueNotTheFieldsText) {
  EXPECT_EQ(tab().MaskEdit1->text(), "07-12-26 14:05:09");  // start-up took the PC's clock
  tab().MaskEdit1->setText("01-01-30 00:00:00");            // typed, never read
  clock.now = clock.now.addSecs(600);
  Click(tab().Button13);
  EXPECT_EQ(Sent(cmd::kSetClock), (std::vector<std::uint8_t>{26, 12, 7, 14, 5, 9}));

  Click(tab().Button3);
  EXPECT_EQ(tab().MaskEdit1->text(), "07-12-26 14:15:09");

  // The scale's own time, read and sent straight back.
  scale->ClearLog();
  Click(tab().Button4);
  const settings::ScaleClock read = tab().HeldClock();
  EXPECT_EQ(tab().MaskEdit1->text(), read.FieldText());
  Click(tab().Button13);
  const auto bytes = read.Bytes();
  EXPECT_EQ(Sent(cmd::kSetClock), std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
}

TEST_P(SettingsTabTest, ASettingsFileKeepsTheWholeTabAndABadOneChangesNothing) {
  QTemporaryDir dir;
  const QString path = dir.filePath("scale.json");
  tab().Edit3->setText(u"Ayşe"_s);
  tab().StringGrid3->item(2, 1)->setText(Decimal("7.5"));
  files.answers = {path};
  Click(tab().SaveFileButton);
  ASSERT_TRUE(notifier.errors.empty()) << LastError();
  const settings::SettingsRecord saved = tab().Record();

  Click(tab().Button25);
  files.answers = {path};
  Click(tab().LoadFileButton);
  EXPECT_EQ(tab().Record(), saved);
  EXPECT_EQ(files.shown.back().filter, "Settings files|*.json");

  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadWrite));
  QByteArray text = file.readAll();
  text.replace("\"lan_number\": 0", "\"lan_number\": 100");
  file.resize(0);
  file.write(text);
  file.close();
  Click(tab().Button25);
  const settings::SettingsRecord before = tab().Record();
  files.answers = {path};
  Click(tab().LoadFileButton);
  ASSERT_EQ(notifier.errors.size(), 1u);
  EXPECT_EQ(notifier.errors[0].text, "error in input file");
  EXPECT_NE(notifier.errors[0].detail.find("lan_number"), std::string::npos);
  EXPECT_EQ(tab().Record(), before);
}

}  // namespace
}  // namespace keldaro::gui_testing
