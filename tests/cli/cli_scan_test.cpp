// keldaro-cli scan: finding the port and line speed of a scale.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "cli/cli_verbs.h"
#include "cli_fixture.h"
#include "sim/virtual_scale.h"

namespace keldaro::cli {
namespace {

sim::ScaleOptions ScaleAt(long speed) {
  sim::ScaleOptions options;
  options.speed = speed;
  return options;
}

TEST(CliScan, ReportsTheOneSpeedAScaleAnswersAtAndNothingElse) {
  sim::VirtualScale scale(ScaleAt(19200));
  ASSERT_TRUE(scale.Start());
  const CliRun run = RunCliCaptured({"scan", "--port", scale.SlavePath()});
  EXPECT_EQ(run.exit_code, kExitOk) << run.err;
  EXPECT_EQ(run.out, scale.SlavePath() + " 19200 Terazi ID: KELDARO SIM 1.0\n");
}

TEST(CliScan, GoesOverEveryPortGivenAndSaysWhenNoneAnswers) {
  sim::VirtualScale fast(ScaleAt(57600));
  sim::VirtualScale silent;
  sim::FaultOptions faults;
  faults.silent = true;
  silent.SetFaults(faults);
  ASSERT_TRUE(fast.Start());
  ASSERT_TRUE(silent.Start());
  CliRun run = RunCliCaptured(
      {"scan", "--port", silent.SlavePath(), "--port", fast.SlavePath(), "--port", "/nowhere"});
  EXPECT_EQ(run.exit_code, kExitOk);
  EXPECT_EQ(run.out, fast.SlavePath() + " 57600 Terazi ID: KELDARO SIM 1.0\n");
  EXPECT_NE(run.err.find("/nowhere: Cannot inicialize COM port!"), std::string::npos);

  run = RunCliCaptured({"scan", "--port", silent.SlavePath()});
  EXPECT_EQ(run.exit_code, kExitLinkFailure);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find("no scale answered"), std::string::npos);
}

}  // namespace
}  // namespace keldaro::cli
