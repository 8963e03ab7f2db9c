// The display poll against the virtual scale: the window's quiet poll and the command line's
// reported one differ only in what a poll tells the user.
#include "terminal/terminal_runs.h"

#include <gtest/gtest.h>

#include "support/connected_session.h"

namespace keldaro::terminal {
namespace {

class DisplayPollTest : public testing::ConnectedSessionTest {};

TEST_F(DisplayPollTest, OnlyAReportedPollShowsItsStatusAndItsFailure) {
  const struct {
    PollFailure failure;
    int statuses_per_poll;
    int messages_on_failure;
  } cases[] = {{PollFailure::kQuiet, 0, 0}, {PollFailure::kReported, 1, 1}};
  int statuses = 0;
  session_.SetStatusCallback([&](std::uint8_t) { ++statuses; });
  for (const auto& c : cases) {
    statuses = 0;
    notifier_.Reset();
    EXPECT_TRUE(PollDisplay(session_, c.failure).has_value());
    EXPECT_EQ(statuses, c.statuses_per_poll);

    sim::FaultOptions faults;
    faults.silent = true;
    scale_.SetFaults(faults);
    EXPECT_FALSE(PollDisplay(session_, c.failure).has_value());
    EXPECT_EQ(notifier_.CountOf(kCommunicationErrorText), c.messages_on_failure);
    scale_.SetFaults({});
  }
}

}  // namespace
}  // namespace keldaro::terminal
