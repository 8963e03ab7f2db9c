// keldaro-cli scan: finding the port and line speed of a scale.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
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

namespace keldaro::cli {
namespace {

TEST(CliPorts, ListsAPtyThatACOMVariableNames) {
  const std::string link = ::testing::TempDir() + "keldaro-cli-ports-scale";
  sim::ScaleOptions options;
  options.link_path = link;
  sim::VirtualScale scale(options);
  ASSERT_TRUE(scale.Start());
  ::setenv("KELDARO_COM6", link.c_str(), 1);
  const CliRun run = RunCliCaptured({"ports"});
  ::unsetenv("KELDARO_COM6");
  EXPECT_EQ(run.exit_code, kExitOk) << run.err;
  const std::string device = std::filesystem::canonical(scale.SlavePath()).string();
  EXPECT_NE(run.out.find(device + "\t-\t-\tCOM6\n"), std::string::npos) << run.out;
}

}  // namespace
}  // namespace keldaro::cli
