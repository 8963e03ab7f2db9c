// fleet pull and fleet push against three virtual scales, on every database server the fleet
// supports: what each scale is sent, what a failure leaves pending, and one run of a scale at
// a time.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QLocale>
#include <QTemporaryDir>
#include <array>
#include <thread>

#include "cli_fixture.h"
#include "link/commands.h"
#include "link/link_failure.h"
#include "support/fleet_backends.h"

namespace keldaro::cli {
namespace {

using test::FleetBackend;

constexpr std::array<const char*, 3> kNames = {"tezgah-1", "tezgah-2", "tezgah-3"};

class CliFleetPush : public ::testing::TestWithParam<FleetBackend> {
 protected:
  void SetUp() override {
    for (std::size_t i = 0; i < scales_.size(); ++i) {
      ASSERT_TRUE(scales_[i].Start());
      ASSERT_EQ(Fleet({"add", kNames[i], "--port", scales_[i].SlavePath()}).exit_code, kExitOk);
    }
  }
  // The fleet command line on this test's database; a silent scale costs three waits of 100 ms.
  CliRun Fleet(std::vector<std::string> args) {
    args.insert(args.begin(), {"--timeout", "100", "fleet"});
    args.insert(args.end(), {"--db", db_});
    return RunCliCaptured(args);
  }
  // A PLU file of PLUs 1..prices.size(), PLU n priced prices[n - 1] whole units.
  std::string PriceFile(const std::vector<int>& prices) {
    const std::string sep = QLocale::system().decimalPoint().toStdString();
    std::string lines;
    for (std::size_t n = 1; n <= prices.size(); ++n) {
      lines += std::to_string(n) + "\t" + std::to_string(prices[n - 1]) + sep + "00\t" +
               std::to_string(1000 + n) + "\t1\t1\t0\t0\t0\tURUN " + std::to_string(n) + "\t0\r\n";
    }
    const std::string path = dir_.filePath(QStringLiteral("prices.txt")).toStdString();
    std::ofstream(path, std::ios::binary) << lines;
    return path;
  }
  // The PLU numbers a scale was sent (command 35) and how many command 39s, since its log was
  // cleared.
  static std::pair<std::vector<int>, int> Sent(const sim::VirtualScale& scale) {
    std::vector<int> numbers;
    int ends = 0;
    for (const sim::ReceivedRequest& r : scale.Requests()) {
      if (r.code == cmd::kWritePlu) numbers.push_back(r.payload.at(0) * 256 + r.payload.at(1));
      ends += r.code == cmd::kEndPluWrite ? 1 : 0;
    }
    return {numbers, ends};
  }
  void ClearLogs() {
    for (sim::VirtualScale& scale : scales_) scale.ClearLog();
  }
  static bool Says(const CliRun& run, const std::string& line) {
    return run.out.find(line + "\n") != std::string::npos;
  }

  QTemporaryDir dir_;
  std::string db_ = GetParam().fresh_database(dir_.path());
  // Each scale answers with an identity of its own.
  static sim::ScaleOptions Answering(const char* identity) {
    sim::ScaleOptions options;
    options.identity = identity;
    return options;
  }
  std::array<sim::VirtualScale, 3> scales_ = {sim::VirtualScale(Answering("TERAZI 1")),
                                              sim::VirtualScale(Answering("TERAZI 2")),
                                              sim::VirtualScale(Answering("TERAZI 3"))};
  const std::vector<int> kPrices = {10, 20, 30, 40, 50, 60};
  const std::vector<int> kTwoChanged = {10, 25, 30, 40, 55, 60};
};

TEST_P(CliFleetPush, FirstPushSendsEveryRecordTheNextOnlyTheChangedOnes) {
  const struct {
    std::vector<int> prices;
    std::vector<int> sent;
  } pushes[] = {{kPrices, {1, 2, 3, 4, 5, 6}}, {kTwoChanged, {2, 5}}, {kTwoChanged, {}}};
  for (const auto& push : pushes) {
    ClearLogs();
    const CliRun run = Fleet({"push", PriceFile(push.prices)});
    EXPECT_EQ(run.exit_code, kExitOk) << run.err;
    const std::string count = std::to_string(push.sent.size());
    for (std::size_t i = 0; i < scales_.size(); ++i) {
      EXPECT_TRUE(Says(run, std::string(kNames[i]) + ": sent " + count + " of " + count))
          << run.out;
      // Nothing to send opens no port: no command 39 either.
      EXPECT_EQ(Sent(scales_[i]), std::make_pair(push.sent, push.sent.empty() ? 0 : 1));
    }
  }
}

TEST_P(CliFleetPush, AFailedScaleGetsWhatItDidNotAcknowledgeOnTheNextPushTheOthersNothing) {
  ASSERT_EQ(Fleet({"push", PriceFile(kPrices)}).exit_code, kExitOk);
  sim::FaultOptions faults;
  faults.silent_after = 2;  // the identity and PLU 2, then silence
  scales_[1].SetFaults(faults);
  const CliRun failed = Fleet({"push", PriceFile(kTwoChanged)});
  EXPECT_EQ(failed.exit_code, kExitLinkFailure);
  EXPECT_TRUE(Says(failed, "tezgah-2: failed after 1 of 2 records sent: " +
                               LinkFailureText(LinkFailure::kNoAnswer)))
      << failed.out;
  EXPECT_TRUE(Says(failed, "tezgah-3: sent 2 of 2")) << failed.out;

  scales_[1].SetFaults({});
  ClearLogs();
  const CliRun again = Fleet({"push", PriceFile(kTwoChanged)});
  EXPECT_EQ(again.exit_code, kExitOk) << again.err;
  EXPECT_EQ(Sent(scales_[0]), std::make_pair(std::vector<int>{}, 0));
  EXPECT_EQ(Sent(scales_[1]), std::make_pair(std::vector<int>{5}, 1));
  EXPECT_EQ(Sent(scales_[2]), std::make_pair(std::vector<int>{}, 0));
}

TEST_P(CliFleetPush, AnotherScaleOnThePortIsRefusedUnlessAccepted) {
  ASSERT_EQ(
      Fleet({"push", PriceFile(kPrices), "--scale", "tezgah-1", "--scale", "tezgah-2"}).exit_code,
      kExitOk);
  // The cables of the first two scales swapped: tezgah-1's port leads to tezgah-2's scale.
  ASSERT_EQ(Fleet({"set", "tezgah-1", "--port", scales_[1].SlavePath()}).exit_code, kExitOk);
  ClearLogs();
  const CliRun refused = Fleet({"push", PriceFile(kTwoChanged), "--scale", "tezgah-1"});
  EXPECT_EQ(refused.exit_code, kExitLinkFailure);
  EXPECT_EQ(refused.out, "tezgah-1: the scale on " + scales_[1].SlavePath() +
                             " is not tezgah-1 (it answers 'TERAZI 2', tezgah-1 answered "
                             "'TERAZI 1'); --accept-identity takes it as tezgah-1\n");
  EXPECT_EQ(Sent(scales_[1]), std::make_pair(std::vector<int>{}, 0));
  // Taken as tezgah-1, it is a scale nothing is recorded of: every record.
  const CliRun taken =
      Fleet({"push", PriceFile(kTwoChanged), "--scale", "tezgah-1", "--accept-identity"});
  EXPECT_EQ(taken.exit_code, kExitOk) << taken.err;
  EXPECT_EQ(Sent(scales_[1]).first, (std::vector<int>{1, 2, 3, 4, 5, 6}));
  EXPECT_NE(Fleet({"list"}).out.find("\tTERAZI 2\n"), std::string::npos);  // recorded
}

TEST_P(CliFleetPush, TwoPushesOfOneScaleAtOnceSendNoRecordTwice) {
  sim::FaultOptions slow;
  slow.reply_pause_ms = 20;
  scales_[0].SetFaults(slow);
  const std::string file = PriceFile(kPrices);
  CliRun first{};
  std::thread pushing([&] { first = Fleet({"push", file, "--scale", "tezgah-1"}); });
  ASSERT_TRUE(scales_[0].WaitForFrames(2, 5000));  // the first run holds the scale
  const CliRun second = Fleet({"push", file, "--scale", "tezgah-1"});
  pushing.join();
  EXPECT_EQ(first.out, "tezgah-1: sent 6 of 6\n");
  EXPECT_EQ(second.out, "tezgah-1: sent 0 of 0\n");
  EXPECT_NE(second.err.find("waiting for another run of tezgah-1"), std::string::npos);
  EXPECT_EQ(Sent(scales_[0]), std::make_pair(std::vector<int>{1, 2, 3, 4, 5, 6}, 1));
}

TEST_P(CliFleetPush, APushKilledMidwayLeavesWhatWasNotRecordedPendingAndTheScaleFree) {
  ASSERT_EQ(Fleet({"push", PriceFile(kPrices), "--scale", "tezgah-1"}).exit_code, kExitOk);
  sim::FaultOptions faults;
  faults.silent_after = 2;  // the identity and PLU 2, then silence while PLU 5 is waited for
  scales_[0].SetFaults(faults);
  ClearLogs();
  const pid_t child = StartCliProcess({"--timeout", "5000", "fleet", "push", PriceFile(kTwoChanged),
                                       "--scale", "tezgah-1", "--db", db_});
  ASSERT_TRUE(scales_[0].WaitForFrames(3, 5000));
  ::kill(child, SIGKILL);
  ASSERT_EQ(::waitpid(child, nullptr, 0), child);

  scales_[0].SetFaults({});
  ClearLogs();
  const CliRun again = Fleet({"push", PriceFile(kTwoChanged), "--scale", "tezgah-1"});
  EXPECT_EQ(again.out, "tezgah-1: sent 2 of 2\n") << again.err;
  EXPECT_EQ(Sent(scales_[0]), std::make_pair(std::vector<int>{2, 5}, 1));
}

TEST_P(CliFleetPush, PullThenPushSendsNothingAndADryRunOpensNoPort) {
  const std::string table = dir_.filePath(QStringLiteral("table.txt")).toStdString();
  ASSERT_EQ(RunCliCaptured(
                {"--port", scales_[0].SlavePath(), "plu", "read", "--last", "9", "--out", table})
                .exit_code,
            kExitOk);
  ASSERT_EQ(
      Fleet({"add", "kapali", "--port", dir_.filePath(QStringLiteral("no-tty")).toStdString()})
          .exit_code,
      kExitOk);
  const CliRun pulled = Fleet({"pull", "--scale", "tezgah-1"});
  ASSERT_EQ(pulled.exit_code, kExitOk) << pulled.err;
  ClearLogs();
  const CliRun pushed = Fleet({"push", table, "--scale", "tezgah-1"});
  EXPECT_EQ(pushed.out, "tezgah-1: sent 0 of 0\n") << pushed.err;
  EXPECT_EQ(scales_[0].Requests().size(), 0u);

  const CliRun dry = Fleet({"push", PriceFile({10, 20}), "--scale", "kapali", "--scale", "tezgah-1",
                            "--clear-missing", "--dry-run"});
  EXPECT_EQ(dry.exit_code, kExitLinkFailure);
  // The pulled table's other PLUs are emptied, up to 1800; PLU 0 never is.
  EXPECT_EQ(dry.out.rfind("kapali: its PLU table is not recorded; run fleet pull first\n"
                          "tezgah-1: would send PLU 1, 2 (2 of 2 records); would empty PLU 3, ",
                          0),
            0u)
      << dry.out;
  EXPECT_TRUE(dry.out.ends_with(", 1800\n")) << dry.out;
  EXPECT_EQ(scales_[0].Requests().size(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Servers, CliFleetPush, ::testing::ValuesIn(test::FleetBackends()),
                         test::FleetBackendName);

}  // namespace
}  // namespace keldaro::cli
