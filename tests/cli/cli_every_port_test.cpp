// One verb on several ports at once: a session and a thread for each, each port's output whole.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_verbs.h"
#include "cli/every_port.h"
#include "cli_fixture.h"
#include "link/port_name.h"
#include "sim/virtual_scale.h"

namespace keldaro::cli {
namespace {

namespace fs = std::filesystem;

class CliEveryPort : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < 3; ++i) {
      sim::ScaleOptions options;
      options.identity = "SCALE " + std::to_string(i);
      options.sample_data = false;
      scales_.push_back(std::make_unique<sim::VirtualScale>(options));
      ASSERT_TRUE(scales_.back()->Start());
    }
  }
  // "--port" for every scale, then the rest.
  CliRun RunOnAll(const std::vector<std::string>& rest) {
    std::vector<std::string> args = {"--timeout", "100"};
    for (const auto& s : scales_) args.insert(args.end(), {"--port", s->SlavePath()});
    args.insert(args.end(), rest.begin(), rest.end());
    return RunCliCaptured(args);
  }
  std::string Path(int i) const { return scales_[static_cast<std::size_t>(i)]->SlavePath(); }
  int WritesOf(int i) const {
    int n = 0;
    for (const auto& r : scales_[static_cast<std::size_t>(i)]->Requests()) n += r.code == 35;
    return n;
  }
  std::vector<std::unique_ptr<sim::VirtualScale>> scales_;
};

TEST_F(CliEveryPort, EachPortsOutputComesWholeWithItsResultLine) {
  const CliRun run = RunOnAll({"identify"});
  EXPECT_EQ(run.exit_code, kExitOk) << run.err;
  for (int i = 0; i < 3; ++i) {
    const std::string block =
        "Terazi ID: SCALE " + std::to_string(i) + "\nSTATUS:00\n" + Path(i) + ": ok\n";
    EXPECT_NE(run.out.find(block), std::string::npos) << run.out;
  }
}

TEST_F(CliEveryPort, ASilentScaleFailsOnlyItsOwnLine) {
  const std::string table = ::testing::TempDir() + "every_port_table.txt";
  std::ofstream(table, std::ios::binary)
      << "1\t150\t11\t1\t1\t0\t0\t0\tELMA\t5\r\n2\t250\t12\t1\t1\t0\t0\t0\tARMUT\t5\r\n";
  sim::FaultOptions silent;
  silent.silent = true;
  scales_[1]->SetFaults(silent);
  const CliRun run = RunOnAll({"plu", "write", table});
  EXPECT_EQ(run.exit_code, kExitLinkFailure);
  EXPECT_NE(run.out.find(Path(0) + ": ok\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find(Path(2) + ": ok\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find(Path(1) + ": Comunication Error!"), std::string::npos) << run.out;
  EXPECT_EQ(WritesOf(0), 2);
  EXPECT_EQ(WritesOf(2), 2);
}

TEST_F(CliEveryPort, AFileNameWithoutPortIsRefusedAndOneWithItIsWrittenOncePerPort) {
  const std::string folder = ::testing::TempDir() + "every_port_out/";
  fs::remove_all(folder);
  fs::create_directories(folder);
  CliRun run = RunOnAll({"plu", "read", "--out", folder + "table.txt"});
  EXPECT_EQ(run.exit_code, kExitBadInput);
  EXPECT_NE(run.err.find("must hold {port}"), std::string::npos) << run.err;
  for (const auto& s : scales_) EXPECT_EQ(s->FramesReceived(), 0);

  run = RunOnAll({"plu", "read", "--first", "1", "--last", "3", "--out", folder + "t-{port}.txt"});
  EXPECT_EQ(run.exit_code, kExitOk) << run.err;
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(fs::is_regular_file(folder + "t-" + PortName::Parse(Path(i))->FileLabel() + ".txt"))
        << i;
  }
  fs::remove_all(folder);
}

TEST(CliPortName, TwoPortsOfOneNameAreRefused) {
  const CliRun run = RunCliCaptured({"--port", "/a/ttyS0", "--port", "/b/ttyS0", "identify"});
  EXPECT_EQ(run.exit_code, kExitBadInput);
  EXPECT_NE(run.err.find("given twice"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace keldaro::cli
