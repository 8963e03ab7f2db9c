// keldaro-cli's verbs end to end against the virtual scale on its pty.
#include <gtest/gtest.h>

#include <QLocale>
#include <fstream>
#include <sstream>

#include "cli/cli_verbs.h"
#include "cli_fixture.h"
#include "link/commands.h"
#include "sim/virtual_scale.h"

namespace keldaro::cli {
namespace {

using Cli = CliTest;

TEST_F(Cli, IdentifyPrintsIdentityAndStatus) {
  scale_.SetStatus(0x04);
  const CliRun run = Run({"identify"});
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out, "Terazi ID: KELDARO SIM 1.0\nSTATUS:04\n");
}

TEST_F(Cli, TraceShowsEveryByteWithItsDirection) {
  const CliRun run = Run({"--trace", "identify"});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_NE(run.err.find("PC -> scale: C3 04 00 01 01 C3 02\n"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("scale -> PC: 06 C3 04 00 00 00 4B 45"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("PC -> scale: 06\n"), std::string::npos) << run.err;
}

TEST_F(Cli, RawPrintsTheReplyBodyWithoutItsChecksum) {
  scale_.WithState([](sim::ScaleState& s) {
    s.plu[3] = {};
    s.plu[3].price = 0x01020304;
    s.plu[3].name = "AB";
  });
  const CliRun run = Run({"raw", "4", "00", "03", "00", "36"});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  // status, second byte, then the 54-byte record: 56 bytes, 3 characters each but the last.
  EXPECT_EQ(run.out.size(), 56u * 3u);
  EXPECT_EQ(run.out.substr(0, 17), "00 00 01 02 03 04");
  ASSERT_EQ(scale_.Requests().back().payload, (std::vector<std::uint8_t>{0, 3, 0, 0x36}));
}

TEST_F(Cli, BadUsageExitsTwoAndSendsNothing) {
  EXPECT_EQ(Run({"raw", "300"}).exit_code, 2);
  EXPECT_EQ(Run({"raw", "4", "XYZ"}).exit_code, 2);
  const CliRun unknown = Run({"plu", "frobnicate"});
  EXPECT_EQ(unknown.exit_code, 2);
  EXPECT_NE(unknown.err.find("'frobnicate' is not a verb"), std::string::npos) << unknown.err;
  EXPECT_EQ(Run({"plu", "read", "--first", "9", "--last", "3"}).exit_code, 2);
  EXPECT_EQ(RunRaw({"--baud", "fast", "identify"}).exit_code, 2);
  EXPECT_TRUE(scale_.Requests().empty());
}

TEST_F(Cli, PortThatWillNotOpenExitsOneWithTheReason) {
  const CliRun run = RunRaw({"--port", "/dev/ttyKELDARO-none", "identify"});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_NE(run.err.find("Cannot inicialize COM port!\n  there is no serial port"),
            std::string::npos)
      << run.err;
}

TEST_F(Cli, SilentScaleExitsOneWithCommunicationError) {
  sim::FaultOptions faults;
  faults.silent = true;
  scale_.SetFaults(faults);
  const CliRun run = Run({"identify"});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_NE(run.err.find("Comunication Error!\n  the scale did not answer"), std::string::npos);
}

TEST_F(Cli, PluReadThenWriteRoundTripsTheTable) {
  scale_.WithState([](sim::ScaleState& s) {
    s.EmptyPluTable();
    s.plu[0].price = 0;
    s.plu[5] = {53,
                1005,
                2,
                1,
                0x05,
                "\xDE"
                "EKER",
                7,
                12,
                636,
                3};  // "ŞEKER", weightless
    s.plu[1800] = {-1, 0, 0, 0, 0, "", 0, 0, 0, 0};
  });
  const std::string path = ::testing::TempDir() + "cli_table.txt";
  const CliRun read = Run({"plu", "read", "--first", "1", "--last", "10", "--out", path});
  ASSERT_EQ(read.exit_code, 0) << read.err;
  std::ifstream in(path, std::ios::binary);
  const std::string file((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(file.rfind("; created: ", 0), 0u);
  // The CLI writes numbers with the user's decimal separator, as the desktop program does.
  const std::string sep = QLocale::system().decimalPoint().toStdString();
  const std::string line = "\r\n5\t0" + sep +
                           "53\t1005\t2\t1\t1\t0\t1\t\xDE"
                           "EKER\t7\t12\t6" +
                           sep + "36\t3\t\r\n";
  EXPECT_NE(file.find(line), std::string::npos) << file;

  scale_.WithState([](sim::ScaleState& s) { s.plu[5].price = 999; });
  scale_.ClearLog();
  const CliRun write = Run({"plu", "write", path});
  ASSERT_EQ(write.exit_code, 0) << write.err;
  EXPECT_EQ(CountOf(cmd::kWritePlu), 2);  // every record of the file: PLU 0 and PLU 5
  EXPECT_EQ(CountOf(cmd::kEndPluWrite), 1);
  scale_.WithState([](sim::ScaleState& s) {
    EXPECT_EQ(s.plu[5].price, 53);
    EXPECT_EQ(s.plu[5].name,
              "\xDE"
              "EKER");
    EXPECT_EQ(s.plu[5].flags, 0x05);
  });
}

TEST_F(Cli, PluWriteOfABadFileNamesTheLineAndSendsNothing) {
  const std::string path = TempFile(
      "cli_bad.txt",
      "; "
      "comment\r\n\r\n1\t1.00\t1\t1\t1\t0\t0\t0\tA\t0\t\r\n2\t1.00\t1\t1\t9\t0\t0\t0\tB\t0\t\r\n");
  const CliRun run = Run({"plu", "write", path});
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_NE(run.err.find("error in input file: line 4"), std::string::npos) << run.err;
  EXPECT_TRUE(scale_.Requests().empty());
}

}  // namespace
}  // namespace keldaro::cli
