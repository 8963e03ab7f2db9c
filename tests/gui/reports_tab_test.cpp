// The "Raporlar" tab with its real widgets against the virtual scale.
#include <QFile>
#include <QLocale>

#include "core/date_time_stamp.h"
#include "gui_fixture.h"
#include "reports/report_listing.h"

namespace keldaro::gui_testing {
namespace {

class ReportsTabTest : public GuiTest {
 protected:
  reports::ReportsTab& tab() { return *form1().TabSheet3; }
  QByteArray Saved(const QString& path) {
    files.answers = {path};
    Click(tab().Button20);
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(no file)");
  }
};

TEST_F(ReportsTabTest, RaporlarListsTheTotalsAndTheFileHoldsTheSameLines) {
  ConnectToScale();
  Click(tab().Button18);
  ASSERT_TRUE(notifier.errors.empty()) << LastError();
  const QStringList lines = tab().Memo3->toPlainText().split('\n');
  EXPECT_EQ(lines.first(),
            "----------------------- Raporlar " + DateTimeStamp(clock.now, QLocale()));
  // Eight fixed lines, the sample sales' 3 taxed amounts and 13 hours, 4 clerks of 11 lines.
  EXPECT_EQ(lines.size(), 8 + 3 + 13 + 4 * 11);
  EXPECT_EQ(lines.last(), QString());
  const QByteArray file = Saved(config_dir.filePath("report.TXT"));
  EXPECT_EQ(file, QByteArray::fromStdString(reports::ListingFile(lines)));
  EXPECT_EQ(files.shown.back().filter, "Text files|*.TXT");
}

TEST_F(ReportsTabTest, SilAndSavingNeedNoConnectionAndAnEmptyListingSavesAnEmptyFile) {
  tab().Memo3->setPlainText("old");
  Click(tab().Button18);  // not connected: the listing stays
  EXPECT_EQ(notifier.CountOf(kNotConnectedText), 1);
  EXPECT_EQ(tab().Memo3->toPlainText(), "old");
  // A non-breaking space of a name is byte 0xA0 in the file, not a plain space.
  tab().Memo3->setPlainText(QString::fromUtf8("Ay\u00a0Çiçek"));
  EXPECT_TRUE(Saved(config_dir.filePath("nbsp.TXT")).startsWith("Ay\xA0"));
  Click(tab().Button19);
  EXPECT_TRUE(tab().Memo3->toPlainText().isEmpty());
  EXPECT_EQ(Saved(config_dir.filePath("empty.TXT")), QByteArray());
  EXPECT_EQ(notifier.errors.size(), 1u);
  files.answers = {config_dir.filePath("no-such-folder/report.TXT")};
  Click(tab().Button20);
  EXPECT_EQ(notifier.CountOf("I/O Error!"), 1);
}

TEST_F(ReportsTabTest, AFailureAtClerk3KeepsTheLinesSoFar) {
  ConnectToScale();
  sim::FaultOptions faults;
  faults.silent_after = 3;  // the totals, clerks 1 and 2
  scale->SetFaults(faults);
  Click(tab().Button18);
  EXPECT_EQ(notifier.CountOf(kCommunicationErrorText), 1);
  const QString text = tab().Memo3->toPlainText();
  EXPECT_TRUE(text.contains("Tezgahtar 2"));
  EXPECT_FALSE(text.contains("Tezgahtar 3"));
}

}  // namespace
}  // namespace keldaro::gui_testing
