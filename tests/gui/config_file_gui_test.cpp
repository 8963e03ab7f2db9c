// The configuration file through the real window: written when the window closes, read when it
// is built, in a folder of the test's own.
#include <sys/stat.h>

#include <QFile>
#include <optional>

#include "gui_fixture.h"
#include "support/file_size_limit.h"
#include "ui/memo_text.h"

namespace keldaro::gui_testing {
namespace {

using namespace Qt::StringLiterals;

class ConfigFileGuiTest : public GuiTest {
 protected:
  // Closes the window as the user does (saving), then builds the program anew (restoring);
  // `file`, when given, replaces what the close saved before the new program reads it.
  void Restart(const std::optional<QByteArray>& file = std::nullopt) {
    form1().close();
    program.reset();
    if (file) WriteFile(*file);
    MakeProgram();
  }
  QByteArray FileBytes() const {
    QFile file(ConfigFile());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }
  void WriteFile(const QByteArray& bytes) const {
    QFile file(ConfigFile());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
  }
  settings::SettingsTab& settings_tab() { return *form1().TabSheet2; }
};

TEST_F(ConfigFileGuiTest, AFirstRunWritesTheFileOnCloseInItsLayout) {
  EXPECT_FALSE(QFile::exists(ConfigFile()));
  form1().close();
  EXPECT_TRUE(notifier.errors.empty());
  const QByteArray expected =
      "VUN KELDARO UTILITY ZIR1.70 !DO NOT EDIT!\r\n141\r\n"
      "56\r\na44W5U5\r\n57\r\na44W5P5\r\n68\r\nTamrell\r\n69\r\nPendravik\r\n"
      "70\r\nOla Tervanu \r\n71\r\nSandrej\r\n81\r\nEUR\r\n113\r\n6.0\r\n132\r\n0\r\n60002\r\n"
      "52\r\n0\r\n1200\r\n72\r\n0\r\nToplamda fi\xFE\r\n80\r\n2\r\n3\r\n105\r\n1\r\n15\r\n"
      "108\r\n1\r\n2\r\n115\r\n0\r\n1\r\n126\r\n2\r\n3\r\n130\r\n3\r\n9600\r\n131\r\n0\r\nCOM1\r\n"
      "60002\r\n73\r\n07-12-26 14:05:09\r\n60002\r\n"
      "51\r\n2\r\n~2   KELDARO Terazi, \xDDzmir\r\n    Header Line Message!\r\n"
      "67\r\n1\r\n      Foot Line Message!\r\n60002\r\n60001\r\n";
  EXPECT_EQ(FileBytes(), expected);
}

TEST_F(ConfigFileGuiTest, LinesAndTypedListTextsSurviveARestart) {
  settings_tab().Memo1->setPlainText(u"1\n2\n3\n4\n5\nAL\u00A0TI"_s);  // a non-breaking space
  settings_tab().Memo2->clear();
  settings_tab().ComboBox3->setEditText(u"Özel"_s);  // no such item
  form1().ComboBox1->setCurrentIndex(9);             // 115200
  Restart();
  EXPECT_TRUE(FileBytes().contains("\r\nAL\xA0TI\r\n"));
  EXPECT_EQ(ui::MemoText(*settings_tab().Memo1), u"1\n2\n3\n4\n5\nAL\u00A0TI"_s);
  EXPECT_TRUE(settings_tab().Memo2->toPlainText().isEmpty());
  EXPECT_EQ(settings_tab().ComboBox3->currentIndex(), -1);
  EXPECT_EQ(settings_tab().ComboBox3->currentText(), u"Özel"_s);
  EXPECT_EQ(form1().ComboBox1->currentText(), "115200");
  // The date/time field always shows the PC's time after start-up.
  EXPECT_EQ(settings_tab().MaskEdit1->text(), "07-12-26 14:05:09");
}

TEST_F(ConfigFileGuiTest, AFileUnderAnotherCaptionIsIgnoredAndReplaced) {
  Restart("VUN KELDARO UTILITY ZIR1.60 !DO NOT EDIT!\r\n141\r\n56\r\nOLD\r\n60002\r\n");
  EXPECT_EQ(settings_tab().Edit1->text(), "a44W5U5");
  form1().close();
  EXPECT_TRUE(FileBytes().startsWith("VUN KELDARO UTILITY ZIR1.70 !DO NOT EDIT!\r\n"));
}

TEST_F(ConfigFileGuiTest, AFileCutOffAfterItsFirstTextRestoresThatFieldOnly) {
  Restart("VUN KELDARO UTILITY ZIR1.70 !DO NOT EDIT!\r\n141\r\n56\r\nCUT\r\n57\r\n");
  EXPECT_EQ(settings_tab().Edit1->text(), "CUT");
  EXPECT_EQ(settings_tab().Edit2->text(), "a44W5P5");
  EXPECT_TRUE(notifier.errors.empty());
}

TEST_F(ConfigFileGuiTest, AnItemIndexTheListDoesNotHaveSelectsNothing) {
  Restart(
      "VUN KELDARO UTILITY ZIR1.70 !DO NOT EDIT!\r\n141\r\n60002\r\n"
      "131\r\n99\r\nCOM9\r\n60002\r\n60002\r\n60002\r\n60001\r\n");
  EXPECT_EQ(form1().ComboBox2->currentIndex(), -1);
  EXPECT_EQ(form1().ComboBox2->currentText(), "COM9");
}

TEST_F(ConfigFileGuiTest, ASaveThatFailsOnCloseKeepsTheOldFileAndSaysWhy) {
  const QByteArray old = "VUN KELDARO UTILITY ZIR1.70 !DO NOT EDIT!\r\n141\r\n60001\r\n";
  WriteFile(old);
  {
    const keldaro::testing::FileSizeLimit limit(16);  // as a full disk fails
    form1().close();
  }
  EXPECT_EQ(FileBytes(), old);
  const std::string why = (ConfigFile() + ": File too large").toStdString();
  EXPECT_EQ(notifier.errors,
            (std::vector<keldaro::testing::RecordedError>{{"ERROR!", "I/O Error!", why}}));
}

TEST_F(ConfigFileGuiTest, AFifoInThePlaceOfTheFileIsPassedOverWithoutWaiting) {
  ASSERT_EQ(::mkfifo(QFile::encodeName(ConfigFile()).constData(), 0600), 0);
  Restart();  // would wait for ever on the FIFO, closing and opening
  EXPECT_EQ(settings_tab().Edit1->text(), "a44W5U5");
  EXPECT_TRUE(notifier.errors.empty());
}

}  // namespace
}  // namespace keldaro::gui_testing
