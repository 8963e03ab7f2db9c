#include "plu/plu_transfer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/conversion_error.h"
#include "link/commands.h"
#include "plu/plu_test_support.h"
#include "sim/virtual_scale.h"
#include "support/recording_notifier.h"
#include "support/separators.h"

namespace keldaro::plu {

using namespace Qt::StringLiterals;
namespace {

using keldaro::testing::RecordingNotifier;
using testing::FillRow;
using testing::RowCells;

// The progress display as a record of what the run showed; it stops the run after
// `stop_after` calls of Advance, as a click on "STOP" would.
class FakeProgress : public TransferProgress {
 public:
  explicit FakeProgress(int stop_after = -1) : stop_after_(stop_after) {}
  void Begin(int maximum) override {
    ++begins;
    this->maximum = maximum;
    running_ = true;
  }
  bool Running() const override {
    return running_ && (stop_after_ < 0 || static_cast<int>(labels.size()) < stop_after_);
  }
  void Advance(int position, const QString& label) override {
    positions.push_back(position);
    labels.push_back(label);
  }
  void End() override {
    ++ends;
    running_ = false;
  }

  int begins = 0;
  int ends = 0;
  int maximum = -1;
  std::vector<int> positions;
  std::vector<QString> labels;

 private:
  int stop_after_;
  bool running_ = false;
};

sim::PluSlot Slot(std::int32_t price, const std::string& name) {
  sim::PluSlot slot;
  slot.price = price;
  slot.name = name;
  return slot;
}

class PluTransferTest : public ::testing::TestWithParam<QChar> {
 protected:
  void SetUp() override {
    sim::ScaleOptions options;
    options.sample_data = false;
    scale_ = std::make_unique<sim::VirtualScale>(options);
    std::string error;
    ASSERT_TRUE(scale_->Start(&error)) << error;
    scale_->WithState([](sim::ScaleState& s) { s.EmptyPluTable(); });
    std::string identity;
    // A silent scale costs three of these waits; the program's own is 1100 ms.
    session_.SetReadTimeout(std::chrono::milliseconds(100));
    ASSERT_TRUE(session_.Connect(PortName::Parse(scale_->SlavePath()).value(), 115200, identity));
    scale_->ClearLog();
  }
  virtual QChar sep() const { return GetParam(); }
  QString Dec(const char* c_form) const {
    return QString::fromUtf8(c_form).replace(QLatin1Char('.'), sep());
  }
  std::vector<sim::ReceivedRequest> Requests() const { return scale_->Requests(); }
  // The codes of the requests received, and the PLU numbers of the reads and writes among them.
  std::vector<int> Codes() const {
    std::vector<int> codes;
    for (const auto& r : Requests()) codes.push_back(r.code);
    return codes;
  }
  std::vector<int> PluNumbers(std::uint8_t code) const {
    std::vector<int> numbers;
    for (const auto& r : Requests()) {
      if (r.code == code && r.payload.size() >= 2)
        numbers.push_back(r.payload[0] << 8 | r.payload[1]);
    }
    return numbers;
  }
  void FillRecord(int row, const QString& number) {
    FillRow(sheet_, row, {number, Dec("1.50"), "7", "1", "1", "0", "0", "0", "X", "3"});
  }
  // The tab's send: the rows of `range` that hold a record.
  RunResult Send(const PluSheet& sheet, PluRange range, TransferProgress& progress) {
    return SendRows(session_, sheet, RangeRows(sheet, range), progress, sep(), {});
  }
  void Silence() {
    sim::FaultOptions faults;
    faults.silent = true;
    scale_->SetFaults(faults);
  }

  RecordingNotifier notifier_;
  ScaleSession session_{notifier_};
  std::unique_ptr<sim::VirtualScale> scale_;
  PluSheet sheet_;
};
KELDARO_FOR_EACH_SEPARATOR(PluTransferTest);

TEST_P(PluTransferTest, AReadFillsRowsWithoutGapsAndDecodesEveryField) {
  scale_->WithState([](sim::ScaleState& s) {
    s.plu[0] = Slot(-1, "");  // PLU 0 is shown even with a negative price
    s.plu[3] = Slot(53,
                    "\xDE"
                    "EFTAL\xDD");
    s.plu[3].flags = 0xF9;  // weightless; bits 3..7 mean nothing
    s.plu[3].quantity = 12;
    s.plu[3].code = -2;
    s.plu[3].department = 40;
    s.plu[3].tax_class = 8;
    s.plu[3].shelf_life = -1;
    s.plu[3].amount = -1;
    s.plu[3].transactions = -2;
    s.plu[7] = Slot(1250, std::string(30, 'N'));
    s.plu[7].flags = 0x06;
    s.plu[7].quantity = 1250;
    s.plu[7].amount = 2931;
    s.plu[7].transactions = 4;
  });
  FillRow(sheet_, 4, {"old", "old"});
  int announcements = 0;
  QObject::connect(&sheet_, &PluSheet::dataChanged, [&] { ++announcements; });
  FakeProgress progress;

  ASSERT_TRUE(ReadRange(session_, sheet_, {1, 1799}, progress, sep(), false).ok);

  EXPECT_EQ(RowCells(sheet_, 1), (QStringList{"0", Dec("-0.01"), "0", "0", "0", "0", "0", "0", "",
                                              "0", Dec("0.000"), Dec("0.00"), "0"}));
  EXPECT_EQ(RowCells(sheet_, 2), (QStringList{"3", Dec("0.53"), "-2", "40", "8", "1", "0", "0",
                                              u"ŞEFTALİ"_s, "-1", "12", Dec("-0.01"), "-2"}));
  EXPECT_EQ(RowCells(sheet_, 3),
            (QStringList{"7", Dec("12.50"), "0", "0", "0", "0", "1", "1", QString(30, u'N'), "0",
                         Dec("1.250"), Dec("29.31"), "4"}));
  EXPECT_EQ(RowCells(sheet_, 4, 3), (QStringList{"old", "old", ""}));
  // PLU 0, PLU 1800, then the range in rising order; one command each.
  const std::vector<int> numbers = PluNumbers(cmd::kReadPlu);
  ASSERT_EQ(numbers.size(), 1801u);
  EXPECT_EQ(numbers[0], 0);
  EXPECT_EQ(numbers[1], 1800);
  EXPECT_EQ(numbers[2], 1);
  EXPECT_EQ(numbers.back(), 1799);
  EXPECT_EQ(progress.maximum, 1798);
  EXPECT_EQ(progress.positions.back(), 1798);
  EXPECT_EQ(progress.labels.front(), u"3 / 1801 PLUs"_s);
  EXPECT_EQ(progress.labels.back(), u"1801 / 1801 PLUs"_s);
  EXPECT_EQ(progress.ends, 1);
  EXPECT_EQ(announcements, 1) << "a read announces its changes once, at the end";
  EXPECT_FALSE(sheet_.ChangesDeferred());
  EXPECT_TRUE(notifier_.errors.empty());
}

TEST_P(PluTransferTest, StopEndsAReadAfterTheRecordInHand) {
  scale_->WithState([](sim::ScaleState& s) {
    for (int n = 0; n <= 1800; ++n) s.plu[n] = Slot(n, "P");
  });
  FakeProgress progress(2);
  ASSERT_TRUE(ReadRange(session_, sheet_, {5, 20}, progress, sep(), false).ok);
  EXPECT_EQ(PluNumbers(cmd::kReadPlu), (std::vector<int>{0, 1800, 5, 6, 7}));
  EXPECT_EQ(sheet_.Cell(5, kNo), u"7"_s);
  EXPECT_TRUE(sheet_.Cell(6, kNo).isEmpty());
  EXPECT_EQ(progress.ends, 1);
}

TEST_P(PluTransferTest, ASendCoversTwoRowsMoreThanTheRangeThenCloses) {
  for (int row = 1; row <= 20; ++row) FillRecord(row, QString::number(100 + row));
  sheet_.SetCell(5, kPrice, "");  // no record: skipped
  FakeProgress progress;
  ASSERT_TRUE(Send(sheet_, {1, 10}, progress).Complete());
  std::vector<int> expected;
  for (int row = 1; row <= 13; ++row) {
    if (row != 5) expected.push_back(100 + row);
  }
  EXPECT_EQ(PluNumbers(cmd::kWritePlu), expected);
  EXPECT_EQ(Codes().back(), cmd::kEndPluWrite);
  EXPECT_EQ(progress.labels.back(), u"12 / 12 PLUs"_s);
  EXPECT_EQ(progress.ends, 1);
  scale_->WithState([](sim::ScaleState& s) { EXPECT_EQ(s.plu_write_ends, 1); });

  PluSheet empty;
  scale_->ClearLog();
  ASSERT_TRUE(Send(empty, {1, 1799}, progress).Complete());
  EXPECT_EQ(Codes(), (std::vector<int>{cmd::kEndPluWrite}));
}

TEST_P(PluTransferTest, AStoppedSendStillSendsTheClosingCommand) {
  for (int row = 1; row <= 13; ++row) FillRecord(row, QString::number(row));
  FakeProgress progress(1);
  const RunResult sent = Send(sheet_, {1, 10}, progress);
  EXPECT_TRUE(sent.ok && sent.stopped);
  // The stop is seen after every record: row 1 before the pause, row 2 in hand.
  EXPECT_EQ(PluNumbers(cmd::kWritePlu), (std::vector<int>{1, 2}));
  EXPECT_EQ(Codes().back(), cmd::kEndPluWrite);
  EXPECT_EQ(progress.ends, 1);
}

TEST_P(PluTransferTest, ReadThenSendGivesEveryRecordBackUnchanged) {
  std::vector<sim::PluSlot> before;
  scale_->WithState([&](sim::ScaleState& s) {
    s.plu[0] = Slot(0, "");
    s.plu[1800] = Slot(999999, "SON \x80");
    s.plu[2] = Slot(53, "\xD0\xDD\xDE\xF0\xFD\xFE\xC7\xD6\xDC");
    s.plu[2].flags = 0x07;
    s.plu[2].code = 999999;
    s.plu[2].shelf_life = 999;
    s.plu[1799] = Slot(0, std::string(30, 'Z'));
    s.plu[1799].department = 40;
    s.plu[1799].tax_class = 8;
    s.plu[1799].flags = 0x02;
    for (int n = 100; n < 110; ++n) s.plu[n] = Slot(n * 101, "P" + std::to_string(n));
    before.assign(s.plu.begin(), s.plu.end());
  });
  FakeProgress progress;
  ASSERT_TRUE(ReadRange(session_, sheet_, {1, 1799}, progress, sep(), false).ok);
  scale_->WithState([](sim::ScaleState& s) { s.EmptyPluTable(); });
  ASSERT_TRUE(Send(sheet_, {1, 1799}, progress).Complete());
  EXPECT_TRUE(notifier_.errors.empty());
  scale_->WithState([&](sim::ScaleState& s) {
    for (int n = 0; n <= 1800; ++n) {
      const sim::PluSlot& want = before[static_cast<std::size_t>(n)];
      const sim::PluSlot& got = s.plu[static_cast<std::size_t>(n)];
      EXPECT_EQ(got.price < 0, want.price < 0) << n;
      if (want.price < 0) continue;
      EXPECT_EQ(got.price, want.price) << n;
      EXPECT_EQ(got.code, want.code) << n;
      EXPECT_EQ(got.department, want.department) << n;
      EXPECT_EQ(got.tax_class, want.tax_class) << n;
      EXPECT_EQ(got.flags, want.flags & 0x07) << n;
      EXPECT_EQ(got.name, want.name) << n;
      EXPECT_EQ(got.shelf_life, want.shelf_life) << n;
    }
  });
}

// A row that does not convert refuses the whole send before its first command, naming the row.
TEST_P(PluTransferTest, ARowThatDoesNotConvertSendsNothing) {
  struct Case {
    int row;
    int column;
    const char* text;
    const char* message;
  };
  const Case cases[] = {
      {4, kCode, "12.5", "row 4: '12.5' is not a valid integer value"},
      // Its low 16 bits would overwrite PLU 0.
      {1, kNo, "65536", "row 1: '65536' is not a value from 0 to 1800"},
  };
  for (const Case& c : cases) {
    for (int row = 1; row <= 5; ++row) FillRecord(row, QString::number(row));
    sheet_.SetCell(c.row, c.column, Dec(c.text));
    notifier_.Reset();
    FakeProgress progress;
    const RunResult sent = Send(sheet_, {1, 10}, progress);
    EXPECT_FALSE(sent.ok) << c.text;
    EXPECT_EQ(sent.failure, LinkFailure::kNone) << c.text;
    EXPECT_TRUE(Requests().empty()) << c.text;
    ASSERT_EQ(notifier_.errors.size(), 1u) << c.text;
    EXPECT_EQ(notifier_.errors[0].text, Dec(c.message).toStdString());
    EXPECT_EQ(notifier_.errors[0].detail, "Nothing was sent to the scale.");
    EXPECT_EQ(progress.begins, 0) << c.text;
  }
  scale_->WithState([](sim::ScaleState& s) { EXPECT_LT(s.plu[0].price, 0); });
}

// Each failed command waits out 3 tries of 1100 ms, and the separator plays no part here: one
// instance only.
class PluTransferSilentTest : public PluTransferTest {
 protected:
  QChar sep() const override { return u'.'; }
};
TEST_F(PluTransferSilentTest, ASilentScaleFailsTheFirstRecord) {
  FillRow(sheet_, 1, {"kept"});
  Silence();
  FakeProgress progress;
  EXPECT_FALSE(ReadRange(session_, sheet_, {1, 1799}, progress, sep(), false).ok);
  EXPECT_EQ(notifier_.CountOf(kCommunicationErrorText), 1);
  EXPECT_EQ(sheet_.Cell(1, kNo), u"kept"_s);
  EXPECT_EQ(progress.ends, 1);
  EXPECT_TRUE(progress.labels.empty());

  notifier_.Reset();
  FillRecord(1, "1");
  const RunResult sent = Send(sheet_, {1, 1799}, progress);
  EXPECT_FALSE(sent.ok);
  EXPECT_EQ(sent.failure, LinkFailure::kNoAnswer);
  // The record fails, and the closing command after it fails in its turn with a second box.
  EXPECT_EQ(notifier_.CountOf(kCommunicationErrorText), 2);
  EXPECT_EQ(progress.ends, 2);
}

TEST_P(PluTransferTest, RefusedRunsSendNothing) {
  FakeProgress progress;
  EXPECT_FALSE(ReadRange(session_, sheet_, {10, 9}, progress, sep(), false).ok);
  EXPECT_FALSE(MayRun(session_, {10, 9}));
  EXPECT_FALSE(ReadRange(session_, sheet_, {0, 1800}, progress, sep(), false).ok);
  ASSERT_EQ(notifier_.errors.size(), 3u);
  EXPECT_EQ(notifier_.errors[0].title, "Error!");
  EXPECT_EQ(notifier_.errors[0].text, InvalidRangeText({10, 9}).toStdString());
  EXPECT_TRUE(Requests().empty());
  EXPECT_EQ(progress.begins, 0);

  notifier_.Reset();
  session_.Disconnect();
  EXPECT_EQ(Send(sheet_, {1, 1799}, progress).failure, LinkFailure::kNotOpen);
  EXPECT_EQ(notifier_.CountOf(kNotConnectedText), 1);
  EXPECT_TRUE(Requests().empty());
}

}  // namespace
}  // namespace keldaro::plu
