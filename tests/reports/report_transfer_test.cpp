// The report download against the virtual scale.
#include "reports/report_transfer.h"

#include <gtest/gtest.h>

#include "link/commands.h"
#include "reports/report_listing.h"
#include "support/connected_session.h"

namespace keldaro::reports {
namespace {

using ReportTransferTest = keldaro::testing::ConnectedSessionTest;

TEST_F(ReportTransferTest, FiveRequestsReadTheTotalsAndTheFourClerks) {
  const Download d = DownloadReport(session_, QStringLiteral("now"), u'.');
  ASSERT_TRUE(d.result.Complete());
  EXPECT_EQ(d.result.done, 5);
  std::vector<std::vector<std::uint8_t>> payloads;
  for (const auto& r : scale_.Requests()) {
    EXPECT_EQ(r.code, cmd::kReadReportMemory);
    payloads.push_back(r.payload);
  }
  EXPECT_EQ(payloads, (std::vector<std::vector<std::uint8_t>>{{0x08, 0x00, 0xC0},
                                                              {0x09, 0x00, 0x50},
                                                              {0x09, 0x50, 0x50},
                                                              {0x09, 0xA0, 0x50},
                                                              {0x09, 0xF0, 0x50}}));
  std::int64_t clerk_sales = 0;
  for (const ClerkTotals& c : d.clerks) clerk_sales += c.sales;
  EXPECT_EQ(clerk_sales, d.totals->total);  // the virtual scale shares the total out
  EXPECT_EQ(d.lines.size(), TotalsLines(*d.totals, "now", u'.').size() + 4 * 11);
}

TEST_F(ReportTransferTest, AFailureAtClerk3KeepsTheLinesSoFar) {
  sim::FaultOptions faults;
  faults.silent_after = 3;  // the totals, clerks 1 and 2
  scale_.SetFaults(faults);
  const Download d = DownloadReport(session_, QStringLiteral("now"), u'.');
  EXPECT_FALSE(d.result.ok);
  EXPECT_EQ(d.result.done, 3);
  EXPECT_EQ(d.result.failure, LinkFailure::kNoAnswer);
  EXPECT_EQ(d.clerks.size(), 2u);
  EXPECT_EQ(d.lines.back(), QString());
  EXPECT_TRUE(d.lines.contains(QStringLiteral("----------------------- Tezgahtar 2")));
  EXPECT_FALSE(d.lines.contains(QStringLiteral("----------------------- Tezgahtar 3")));
  EXPECT_EQ(notifier_.CountOf(kCommunicationErrorText), 1);
}

TEST_F(ReportTransferTest, NothingIsAskedWithoutAConnection) {
  session_.Disconnect();
  const Download d = DownloadReport(session_, QStringLiteral("now"), u'.');
  EXPECT_FALSE(d.totals);
  EXPECT_EQ(d.result.failure, LinkFailure::kNotOpen);
  EXPECT_TRUE(d.lines.isEmpty());
  EXPECT_EQ(notifier_.CountOf(kNotConnectedText), 1);
}

}  // namespace
}  // namespace keldaro::reports
