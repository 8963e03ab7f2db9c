// The settings and clock chains against the virtual scale: what goes on the wire, what comes
// back, and where a failing chain stops.
#include "settings/settings_transfer.h"

#include <gtest/gtest.h>

#include "link/commands.h"
#include "settings/settings_codec.h"
#include "support/connected_session.h"

namespace keldaro::settings {
namespace {

using namespace Qt::StringLiterals;

std::vector<std::uint8_t> Payload(const std::string& bytes) {
  return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

class SettingsTransferTest : public keldaro::testing::ConnectedSessionTest {
 protected:
  std::vector<sim::ReceivedRequest> Requests(std::uint8_t code) const {
    std::vector<sim::ReceivedRequest> matching;
    for (const auto& r : scale_.Requests()) {
      if (r.code == code) matching.push_back(r);
    }
    return matching;
  }

  transfer::SilentProgress quiet_;
};

// Stops the chain once `commands` commands went through, as Ctrl-C between them would.
class StopAfter : public transfer::SilentProgress {
 public:
  explicit StopAfter(int commands) : commands_(commands) {}
  bool Running() const override { return advanced_ + 1 < commands_; }
  void Advance(int, const QString&) override { ++advanced_; }

 private:
  int commands_;
  int advanced_ = 0;
};

TEST_F(SettingsTransferTest, ASendIsTheFixedChainOf54Commands) {
  SettingsRecord r;
  r.header = {u"one"_s, u"two"_s, u"three"_s};
  r.footer = {u"f1"_s, u"f2"_s, u"f3"_s, u"f4"_s, u"f5"_s};
  ASSERT_TRUE(SendSettings(session_, r, quiet_).Complete());

  std::vector<int> codes;
  for (const auto& request : scale_.Requests()) codes.push_back(request.code);
  std::vector<int> expected = {cmd::kWriteSettings};
  expected.insert(expected.end(), kClerks, cmd::kWriteClerk);
  expected.insert(expected.end(), kHeaderLines + kFooterLines, cmd::kWriteReceiptLine);
  expected.insert(expected.end(), kDepartments, cmd::kWriteDepartment);
  expected.push_back(cmd::kWriteTaxRates);
  EXPECT_EQ(codes, expected);

  EXPECT_EQ(Requests(cmd::kWriteSettings)[0].payload, Payload(EncodeSettingsBlock(r)));
  const auto lines = Requests(cmd::kWriteReceiptLine);
  const std::vector<std::string> texts = {"one", "two", "three", "", "", "", "f1", "f2"};
  for (std::size_t k = 0; k < lines.size(); ++k) {
    std::string expected_payload(1, static_cast<char>(k + 1));
    expected_payload += EncodeText(QString::fromStdString(texts[k]), kReceiptLineWidth);
    EXPECT_EQ(lines[k].payload, Payload(expected_payload)) << "line " << k + 1;
  }
  EXPECT_EQ(Requests(cmd::kWriteClerk)[1].payload,
            Payload(std::string(1, '\1') + EncodeText(u"Ola Tervanu "_s, kNameWidth)));
}

TEST_F(SettingsTransferTest, ALoadGivesBackWhatASendWrote) {
  SettingsRecord sent;
  ApplyFactoryPresets(sent);
  sent.operating_mode = 4;
  sent.currency = u"TL"_s;
  sent.departments[7] = u"ŞARKÜTERİ"_s;
  sent.tax_rates = {1800, 875, -500, 0, 1, 2, 3, 9999};
  ASSERT_TRUE(SendSettings(session_, sent, quiet_).Complete());
  SettingsRecord loaded;
  loaded.header = {u"old"_s};
  ASSERT_TRUE(LoadSettings(session_, loaded, quiet_).Complete());
  EXPECT_EQ(loaded, sent);
  EXPECT_TRUE(notifier_.errors.empty());
}

TEST_F(SettingsTransferTest, ALoadFailingAtDepartment12KeepsWhatArrived) {
  sim::FaultOptions faults;
  // The block, the clerks, the lines and departments 0 to 11.
  faults.silent_after = 1 + kClerks + kHeaderLines + kFooterLines + 12;
  scale_.SetFaults(faults);
  SettingsRecord r;
  r.departments.fill(u"old"_s);
  r.tax_rates[0] = 1234;
  LoadedParts parts;
  const RunResult loaded = LoadSettings(session_, r, quiet_, &parts);
  EXPECT_FALSE(loaded.ok);
  EXPECT_EQ(loaded.done, faults.silent_after);
  EXPECT_EQ(loaded.failure, LinkFailure::kNoAnswer);
  EXPECT_EQ(notifier_.CountOf(kCommunicationErrorText), 1);
  EXPECT_TRUE(parts.block && parts.header && parts.footer);
  EXPECT_EQ(parts.clerks, kClerks);
  EXPECT_EQ(parts.departments, 12);
  EXPECT_FALSE(parts.tax_rates);
  for (int d = 0; d < kDepartments; ++d) {
    EXPECT_EQ(r.departments[static_cast<std::size_t>(d)] == u"old"_s, d >= 12)
        << "department " << d;
  }
  EXPECT_EQ(r.tax_rates[0], 1234);
  EXPECT_EQ(Requests(cmd::kReadTaxRates).size(), 0u);
}

// A stop is seen after every command of either chain, the last one included.
TEST_F(SettingsTransferTest, AStopEndsAChainAfterTheCommandInHand) {
  SettingsRecord r;
  for (const int commands : {1, 30, 54}) {
    scale_.ClearLog();
    StopAfter load_stop(commands);
    const RunResult loaded = LoadSettings(session_, r, load_stop);
    StopAfter send_stop(commands);
    const RunResult sent = SendSettings(session_, r, send_stop);
    for (const RunResult& run : {loaded, sent}) {
      EXPECT_TRUE(run.ok && run.stopped) << commands;
      EXPECT_EQ(run.done, commands);
    }
    EXPECT_EQ(scale_.Requests().size(), 2u * commands);
  }
  EXPECT_TRUE(notifier_.errors.empty());
}

TEST_F(SettingsTransferTest, NothingGoesOutWithoutAConnection) {
  session_.Disconnect();
  SettingsRecord r;
  ScaleClock clock;
  for (const RunResult& refused :
       {LoadSettings(session_, r, quiet_), SendSettings(session_, r, quiet_),
        ReadClock(session_, clock), SetClock(session_, clock)}) {
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.failure, LinkFailure::kNotOpen);
  }
  EXPECT_EQ(notifier_.CountOf(kNotConnectedText), 4);
  EXPECT_EQ(r, SettingsRecord{});
  EXPECT_EQ(scale_.FramesReceived(), 0);
}

TEST_F(SettingsTransferTest, TheClockGoesOutAsSixBytesAndComesBackAsSet) {
  const ScaleClock set = ScaleClock::FromDateTime(QDateTime(QDate(2026, 12, 7), QTime(14, 5, 9)));
  EXPECT_EQ(set.FieldText(), u"07-12-26 14:05:09"_s);
  ASSERT_TRUE(SetClock(session_, set).ok);
  EXPECT_EQ(Requests(cmd::kSetClock)[0].payload, (std::vector<std::uint8_t>{26, 12, 7, 14, 5, 9}));

  // The scale's clock runs on from what it was set to; sent back, it is its own time.
  ScaleClock read;
  ASSERT_TRUE(ReadClock(session_, read).ok);
  EXPECT_EQ(read.IsoText().left(16), u"2026-12-07 14:05"_s);
  scale_.ClearLog();
  ASSERT_TRUE(SetClock(session_, read).ok);
  const auto bytes = read.Bytes();
  EXPECT_EQ(Requests(cmd::kSetClock)[0].payload,
            std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
}

TEST(ScaleClockTest, BytesAreShownAsTheyCome) {
  const ScaleClock odd = ScaleClock::FromBytes({5, 13, 32, 25, 61, 99});
  EXPECT_EQ(odd.year, 2005);
  EXPECT_EQ(odd.FieldText(), u"32-13-05 25:61:99"_s);
  EXPECT_EQ(odd.IsoText(), u"2005-13-32 25:61:99"_s);
}

}  // namespace
}  // namespace keldaro::settings
