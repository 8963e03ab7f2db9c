// keldaro-cli's files, output streams, Ctrl-C and verification, against the virtual scale.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QLocale>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "cli/cli_verbs.h"
#include "cli_fixture.h"
#include "link/commands.h"
#include "sim/virtual_scale.h"

namespace keldaro::cli {
namespace {

// A record line of the PLU file with the user's decimal separator.
std::string Record(const std::string& no, const std::string& name = "A") {
  const std::string sep = QLocale::system().decimalPoint().toStdString();
  return no + "\t1" + sep + "00\t1\t1\t1\t0\t0\t0\t" + name + "\t0\t\r\n";
}

class CliFiles : public CliTest {
 protected:
  std::vector<int> WrittenNumbers() const {
    std::vector<int> numbers;
    for (const auto& r : scale_.Requests()) {
      if (r.code == cmd::kWritePlu) numbers.push_back(r.payload[0] << 8 | r.payload[1]);
    }
    return numbers;
  }
  // Asks the run to stop once the scale has seen `frames` frames.
  std::thread StopAfter(int frames) {
    return std::thread([this, frames] {
      EXPECT_TRUE(scale_.WaitForFrames(frames, 10000));
      RequestStop();
    });
  }
  // keldaro-cli as a process of its own, reading the PLU table from the scale.
  pid_t StartPluRead() {
    const pid_t child = ::fork();
    if (child == 0) {
      ::execl(KELDARO_CLI_PATH, KELDARO_CLI_PATH, "--port", scale_.SlavePath().c_str(), "plu",
              "read", "--out", "/dev/null", static_cast<char*>(nullptr));
      ::_exit(127);
    }
    return child;
  }
  static int ExitCodeOf(pid_t child) {
    int status = 0;
    EXPECT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status));
    return WEXITSTATUS(status);
  }
};

TEST_F(CliFiles, HelpAndVersionGoToStdoutAndExitZero) {
  const CliRun help = Run({"--help"});
  EXPECT_EQ(help.exit_code, 0);
  EXPECT_NE(help.out.find("Usage: keldaro-cli"), std::string::npos) << help.out;
  EXPECT_TRUE(help.err.empty());
  for (const std::vector<std::string>& verb :
       {std::vector<std::string>{"identify"}, {"raw"}, {"plu", "read"}, {"plu", "write"}}) {
    std::vector<std::string> args = verb;
    args.push_back("--help");
    const CliRun run = Run(args);
    EXPECT_EQ(run.exit_code, 0) << verb.back();
    EXPECT_NE(run.out.find("Usage: keldaro-cli " + verb.front()), std::string::npos) << run.out;
  }
  const CliRun version = Run({"--version"});
  EXPECT_EQ(version.exit_code, 0);
  EXPECT_FALSE(version.out.empty());
  EXPECT_TRUE(scale_.Requests().empty());
}

TEST_F(CliFiles, GlobalOptionsMayFollowTheVerb) {
  std::ostringstream out, err;
  EXPECT_EQ(RunCli({"identify", "--port", scale_.SlavePath()}, out, err), 0) << err.str();
}

TEST_F(CliFiles, RawTakesOnlyTwoDigitHexBytes) {
  for (const char* bad : {"-1", "0", "100", "G1", "+1"}) {
    const CliRun run = Run({"raw", "4", bad});
    EXPECT_EQ(run.exit_code, 2) << bad;
    EXPECT_NE(run.err.find(std::string("'") + bad + "' is not a two-digit hex byte"),
              std::string::npos)
        << run.err;
  }
  EXPECT_TRUE(scale_.Requests().empty());
  EXPECT_EQ(Run({"raw", "4", "00", "0a", "00", "36"}).exit_code, 0);
}

TEST_F(CliFiles, ReadIntoAMissingFolderFailsBeforeTheFirstCommand) {
  const std::string path = ::testing::TempDir() + "no-such-folder/plu.txt";
  const CliRun run = Run({"plu", "read", "--out", path});
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_NE(run.err.find("ERROR! I/O Error!: "), std::string::npos) << run.err;
  EXPECT_NE(run.err.find(path), std::string::npos) << run.err;
  EXPECT_TRUE(scale_.Requests().empty());
}

TEST_F(CliFiles, ReadOntoADeviceWritesIntoIt) {
  const CliRun run = Run({"plu", "read", "--first", "1", "--last", "3", "--out", "/dev/null"});
  EXPECT_EQ(run.exit_code, 0) << run.err;
  struct stat info {};
  ASSERT_EQ(::stat("/dev/null", &info), 0);
  EXPECT_TRUE(S_ISCHR(info.st_mode));
}

TEST_F(CliFiles, AFailingStdoutFailsTheVerb) {
  std::ostringstream broken;
  broken.setstate(std::ios::badbit);  // what a full disk or a closed pipe leaves
  EXPECT_EQ(Run({"plu", "read", "--first", "1", "--last", "2"}, &broken).exit_code, 1);
  const CliRun identify = Run({"identify"}, &broken);
  EXPECT_EQ(identify.exit_code, 1);
  EXPECT_NE(identify.err.find("the output could not be written"), std::string::npos);
}

TEST_F(CliFiles, WriteChecksEveryRecordBeforeTheFirstCommand) {
  // Line 5's "No" passes the file's check (up to 1801) but is no PLU the scale keeps.
  const std::string path = TempFile(
      "cli_late_bad.txt", "; c\r\n" + Record("1") + Record("2") + Record("3") + Record("1801"));
  const CliRun run = Run({"plu", "write", path});
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_NE(run.err.find("error in input file: line 5: '1801' is not a value from 0 to 1800"),
            std::string::npos)
      << run.err;
  EXPECT_TRUE(scale_.Requests().empty());
}

TEST_F(CliFiles, InputsThatAreNoRegularFilesAreRefusedBeforeThePortOpens) {
  const std::string folder = ::testing::TempDir() + "cli_input_folder";
  const std::string fifo = ::testing::TempDir() + "cli_input_fifo";
  std::filesystem::create_directories(folder);
  std::filesystem::remove(fifo);
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);  // no writer: an open that waited would hang
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"plu", "write", "/dev/zero"}, "/dev/zero is not a regular file (a character device)"},
      {{"plu", "write", folder}, folder + " is a folder"},
      {{"settings", "write", fifo}, fifo + " is not a regular file (a FIFO)"},
      {{"metrology", "send", folder}, folder + " is a folder"},
      {{"logo", "send", folder}, folder + " is a folder"},
  };
  for (const auto& [args, message] : cases) {
    const CliRun run = Run(args);
    EXPECT_EQ(run.exit_code, 2) << message;
    EXPECT_NE(run.err.find(message), std::string::npos) << run.err;
  }
  EXPECT_EQ(scale_.FramesReceived(), 0);
}

TEST_F(CliFiles, NegativePricesAreSentAndNamedAsPlusTheScaleWillEmpty) {
  const std::string sep = QLocale::system().decimalPoint().toStdString();
  const std::string path =
      TempFile("cli_negative.txt", "0\t-0" + sep + "01\t0\t0\t0\t0\t0\t0\t\t0\r\n" + Record("5") +
                                       "9\t-3\t0\t0\t0\t0\t0\t0\tX\t0\r\n");
  const CliRun run = Run({"plu", "write", path});
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_NE(run.err.find("PLUs 0, 9 have a negative price: they will be emptied on the scale\n"),
            std::string::npos)
      << run.err;
  EXPECT_EQ(WrittenNumbers(), (std::vector<int>{0, 5, 9}));
}

TEST_F(CliFiles, AFailingLineSaysWhatIsWrong) {
  const std::string path = TempFile("cli_short.txt", Record("1") + "2\t1\t1\r\n");
  const CliRun run = Run({"plu", "write", path});
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_NE(run.err.find("error in input file: line 2, column 6: 3 fields, 10 needed"),
            std::string::npos)
      << run.err;
}

TEST_F(CliFiles, FirstAndLastSelectRecordsByTheirNumber) {
  std::string content;
  for (int no = 1; no <= 20; ++no) content += Record(std::to_string(no));
  const std::string path = TempFile("cli_twenty.txt", content);
  ASSERT_EQ(Run({"plu", "write", path, "--first", "11", "--last", "19"}).exit_code, 0);
  EXPECT_EQ(WrittenNumbers(), (std::vector<int>{11, 12, 13, 14, 15, 16, 17, 18, 19}));
  EXPECT_EQ(CountOf(cmd::kEndPluWrite), 1);

  scale_.ClearLog();
  const CliRun none = Run({"plu", "write", path, "--first", "30", "--last", "40"});
  EXPECT_EQ(none.exit_code, 0);
  EXPECT_NE(none.err.find("nothing sent"), std::string::npos) << none.err;
  EXPECT_TRUE(scale_.Requests().empty());
}

TEST_F(CliFiles, EmptyOrCommentOnlyFileSendsNothingAndSaysSo) {
  for (const std::string& content : {std::string(), std::string("; only a comment\r\n\r\n")}) {
    const std::string path = TempFile("cli_empty.txt", content);
    const CliRun run = Run({"plu", "write", path});
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_NE(run.err.find("nothing sent: " + path + " holds no records"), std::string::npos)
        << run.err;
  }
  EXPECT_TRUE(scale_.Requests().empty());
}

TEST_F(CliFiles, RepeatedNumbersAreAWarningNamingBothLines) {
  const std::string path =
      TempFile("cli_dup.txt", "; c\r\n" + Record("7") + Record("8") + Record("7", "B"));
  const CliRun run = Run({"plu", "write", path});
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_NE(run.err.find("warning: line 4 holds the same PLU No as line 2"), std::string::npos)
      << run.err;
  EXPECT_EQ(WrittenNumbers(), (std::vector<int>{7, 8, 7}));
}

TEST_F(CliFiles, Utf8FileIsStoredAsTurkishLetters) {
  // "ŞEKER" in UTF-8 with a byte-order mark, and "ığ" in UTF-8 without one.
  const std::string path = TempFile("cli_utf8.txt", "\xEF\xBB\xBF" +
                                                        Record("3",
                                                               "\xC5\x9E"
                                                               "EKER") +
                                                        Record("4", "\xC4\xB1\xC4\x9F"));
  const std::string plain = TempFile("cli_utf8_plain.txt", Record("4", "\xC4\xB1\xC4\x9F"));
  ASSERT_EQ(Run({"plu", "write", path}).exit_code, 0);
  scale_.WithState([](sim::ScaleState& s) {
    EXPECT_EQ(s.plu[3].name,
              "\xDE"
              "EKER");
    s.plu[4].name.clear();
  });
  ASSERT_EQ(Run({"plu", "write", plain}).exit_code, 0);
  scale_.WithState([](sim::ScaleState& s) { EXPECT_EQ(s.plu[4].name, "\xFD\xF0"); });
}

TEST_F(CliFiles, NameWithATabIsSavedAsABlankAndSaid) {
  scale_.WithState([](sim::ScaleState& s) { s.plu[2].name = "A\tB\rC"; });
  const std::string path = ::testing::TempDir() + "cli_tab_name.txt";
  const CliRun run = Run({"plu", "read", "--first", "1", "--last", "3", "--out", path});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_NE(run.err.find("warning: 1 cells held a TAB, CR or LF"), std::string::npos) << run.err;
  EXPECT_NE(ReadFile(path).find("\tA B C\t"), std::string::npos);
  // The file loads again.
  EXPECT_EQ(Run({"plu", "write", path}).exit_code, 0);
}

TEST_F(CliFiles, StoppedReadExits130AndLeavesTheOldFile) {
  const std::string path = TempFile("cli_old.txt", "old content");
  std::thread stopper = StopAfter(10);
  const CliRun run = Run({"plu", "read", "--out", path});
  stopper.join();
  EXPECT_EQ(run.exit_code, 130) << run.err;
  EXPECT_NE(run.err.find("stopped after PLU "), std::string::npos) << run.err;
  EXPECT_NE(run.err.find(path + " is as it was"), std::string::npos) << run.err;
  EXPECT_EQ(ReadFile(path), "old content");
  EXPECT_LT(CountOf(cmd::kReadPlu), 100);
}

TEST_F(CliFiles, StoppedWriteStillClosesTheRunAndSaysHowManyWereSent) {
  std::string content;
  for (int no = 1; no <= 1000; ++no) content += Record(std::to_string(no));
  const std::string path = TempFile("cli_thousand.txt", content);
  std::thread stopper = StopAfter(10);
  const CliRun run = Run({"plu", "write", path});
  stopper.join();
  EXPECT_EQ(run.exit_code, 130) << run.err;
  const int sent = CountOf(cmd::kWritePlu);
  EXPECT_LT(sent, 1000);
  EXPECT_NE(run.err.find("stopped after " + std::to_string(sent) + " of 1000 records sent"),
            std::string::npos)
      << run.err;
  EXPECT_EQ(scale_.Requests().back().code, cmd::kEndPluWrite);
}

TEST_F(CliFiles, InterruptedProgramExits130) {
  const pid_t child = StartPluRead();
  ASSERT_GE(child, 0);
  ASSERT_TRUE(scale_.WaitForFrames(10, 10000));
  ::kill(child, SIGINT);
  EXPECT_EQ(ExitCodeOf(child), 130);
}

TEST_F(CliFiles, CtrlCEndsAWaitOnASilentScaleWithoutSendingAgain) {
  sim::FaultOptions faults;
  faults.silent_after = 1;  // the identify is answered, PLU 0 never is
  scale_.SetFaults(faults);
  const pid_t child = StartPluRead();
  ASSERT_GE(child, 0);
  ASSERT_TRUE(scale_.WaitForFrames(2, 10000));
  ::kill(child, SIGINT);
  EXPECT_EQ(ExitCodeOf(child), 130);
  EXPECT_EQ(scale_.FramesReceived(), 2);  // not the two sends more of a wait sat out
}

// Bit errors the checksum cannot see: without verification the table read over the faulty line
// differs from the scale's; with it, under drops and random bit errors too, it is the scale's.
TEST_F(CliFiles, VerifiedReadOverAFaultyLineMatchesACleanRead) {
  const auto read_table = [this](const sim::FaultOptions& faults, bool verify) {
    scale_.SetFaults(faults);
    const std::string path = ::testing::TempDir() + "cli_table_read.txt";
    std::vector<std::string> args = {"plu", "read", "--last", "30", "--out", path};
    if (verify) args.push_back("--verify");
    EXPECT_EQ(Run(args).exit_code, 0);
    const std::string file = ReadFile(path);
    return file.substr(file.find("\r\n"));  // past the "; created: " line and its time
  };
  const std::string clean = read_table({}, false);
  sim::FaultOptions faults;
  faults.hidden_errors = 3;  // the identify of the connection, PLU 0 and PLU 1800
  EXPECT_NE(read_table(faults, false), clean);
  faults.hidden_errors = 2;  // the identify and the first read of PLU 0, which a second read
                             // does not confirm
  faults.bit_error_rate = 1e-3;
  faults.drop_rate = 1e-3;
  faults.seed = 2;
  EXPECT_EQ(read_table(faults, true), clean);
}

TEST_F(CliFiles, VerifiedWriteStoresEveryRecord) {
  std::string content;
  for (int no = 1; no <= 30; ++no) content += Record(std::to_string(no), "N" + std::to_string(no));
  const std::string path = TempFile("cli_verify_write.txt", content);
  sim::FaultOptions faults;
  faults.bit_error_rate = 1e-3;
  faults.drop_rate = 1e-3;
  faults.seed = 3;
  scale_.SetFaults(faults);
  const CliRun run = Run({"plu", "write", path, "--verify"});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_GE(CountOf(cmd::kReadPlu), 30);  // every record read back
  scale_.WithState([](sim::ScaleState& s) {
    for (int no = 1; no <= 30; ++no) EXPECT_EQ(s.plu[no].name, "N" + std::to_string(no));
  });
}

}  // namespace
}  // namespace keldaro::cli
