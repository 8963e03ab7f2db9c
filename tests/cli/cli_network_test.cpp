// The command line with the scale behind ser2net: the same PLU transfers through a raw TCP line
// and a Telnet (RFC 2217) line as through the pseudo-terminal, and scan over each, which sets the
// far line speed over RFC 2217 only.
#include <gtest/gtest.h>

#include "cli/cli_fixture.h"
#include "link/commands.h"
#include "link/line_speed_scan.h"
#include "support/ser2net_line.h"

namespace keldaro::cli {
namespace {

// The file without its first line, which says when it was made.
std::string Records(const std::string& path) {
  const std::string file = ReadFile(path);
  return file.substr(file.find('\n') + 1);
}

class CliNetwork : public CliTest {
 protected:
  void SetUp() override {
    CliTest::SetUp();
    std::string error;
    ASSERT_TRUE(ser2net_.Start(scale_.SlavePath(), 115200, &error)) << error;
  }
  CliRun RunOn(const std::string& port, std::vector<std::string> args) {
    EXPECT_TRUE(ser2net_.WaitUntilDeviceFree());
    args.insert(args.begin(), {"--port", port, "--timeout", "100"});
    return RunRaw(args);
  }

  testing::Ser2netLine ser2net_;
};

TEST_F(CliNetwork, PluReadAndWriteGoThroughEachKindOfLineAsOnThePseudoTerminal) {
  const std::string on_pty = ::testing::TempDir() + "net_pty.txt";
  const CliRun pty = Run({"plu", "read", "--first", "1", "--last", "40", "--out", on_pty});
  ASSERT_EQ(pty.exit_code, 0) << pty.err;
  std::int32_t price_of_3 = 0;
  scale_.WithState([&](sim::ScaleState& s) { price_of_3 = s.plu[3].price; });

  for (const std::string& port : {ser2net_.SocketUrl(), ser2net_.Rfc2217Url()}) {
    const std::string out = ::testing::TempDir() + "net_read.txt";
    const CliRun read = RunOn(port, {"plu", "read", "--first", "1", "--last", "40", "--out", out});
    ASSERT_EQ(read.exit_code, 0) << port << ": " << read.err;
    EXPECT_EQ(Records(out), Records(on_pty)) << port;

    scale_.WithState([](sim::ScaleState& s) { s.plu[3].price = 999; });
    scale_.ClearLog();
    const CliRun write = RunOn(port, {"plu", "write", on_pty});
    ASSERT_EQ(write.exit_code, 0) << port << ": " << write.err;
    EXPECT_EQ(CountOf(cmd::kEndPluWrite), 1) << port;
    scale_.WithState([&](sim::ScaleState& s) { EXPECT_EQ(s.plu[3].price, price_of_3) << port; });
  }
}

// The far port's speed is the pseudo-terminal's when each request came.
TEST_F(CliNetwork, ScanSetsTheFarSpeedOnlyOverRfc2217) {
  const auto far_speeds = [this] {
    std::vector<long> speeds;
    for (const sim::ReceivedRequest& r : scale_.Requests()) speeds.push_back(r.line_speed);
    return speeds;
  };
  scale_.ClearLog();
  const CliRun raw = RunOn(ser2net_.SocketUrl(), {"--baud", "19200", "scan"});
  EXPECT_EQ(raw.exit_code, 0) << raw.err;
  EXPECT_NE(raw.err.find("cannot change the far line speed over a raw TCP line"), std::string::npos)
      << raw.err;
  EXPECT_EQ(raw.out.find(ser2net_.SocketUrl() + " 19200 Terazi ID: "), 0u) << raw.out;
  EXPECT_EQ(far_speeds(), std::vector<long>{115200});  // where ser2net set it

  scale_.ClearLog();
  const CliRun rfc2217 = RunOn(ser2net_.Rfc2217Url(), {"scan"});
  EXPECT_EQ(rfc2217.exit_code, 0) << rfc2217.err;
  // The virtual scale answers at any speed the far port is set to: every speed tried answers.
  EXPECT_EQ(std::count(rfc2217.out.begin(), rfc2217.out.end(), '\n'), 10) << rfc2217.out;
  const std::vector<int> tried = FastestFirst();
  EXPECT_EQ(far_speeds(), std::vector<long>(tried.begin(), tried.end()));
}

}  // namespace
}  // namespace keldaro::cli
