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
  for (const auto& c : cases) {
    int statuses = 0;
    session_.SetStatusCallback([&](std::uint8_t) { ++statuses; });
    notifier_.Reset();
    scale_.WithState([](sim::ScaleState& s) { s.display = {"  12345", "ABCDEFG", "      0"}; });
    const std::optional<Display> shown = PollDisplay(session_, c.failure);
    ASSERT_TRUE(shown.has_value());
    EXPECT_EQ(shown->lines[1], "ABCDEFG");
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
