// The reading verbs over a damaged line: once a reply is refused, records are read until two
// copies agree, so what a verb gives is what a clean line gives; --verify does it from the first
// record and so catches damage the checksum cannot see.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/cli_verbs.h"
#include "cli_fixture.h"
#include "sim/virtual_scale.h"

namespace keldaro::cli {
namespace {

// What a verb read, without what differs from run to run (the PC's time in a header).
using ValueOf = std::string (*)(const CliRun& run, const std::string& dir);

std::string PastFirstLine(const std::string& text) { return text.substr(text.find('\n')); }
std::string Printed(const CliRun& r, const std::string&) { return r.out; }
std::string PluTable(const CliRun& r, const std::string&) { return PastFirstLine(r.out); }
// The year and month: the seconds tick between runs.
std::string YearAndMonth(const CliRun& r, const std::string&) { return r.out.substr(0, 7); }
std::string BackupFiles(const CliRun&, const std::string& dir) {
  return PastFirstLine(ReadFile(dir + "/plu.txt")) + ReadFile(dir + "/settings.json") +
         ReadFile(dir + "/report.json");
}

struct ReadingVerb {
  std::vector<std::string> args;  // "{dir}" is replaced by a new folder for each run
  int clean_requests;             // the connection's identify included
  double bit_error_rate;          // enough for the verb's few bytes to meet damage
  double drop_rate;
  ValueOf value;
};

// Drops cost a time-out each: the whole scale of a backup meets bit errors only.
const std::vector<ReadingVerb> kReadingVerbs = {
    {{"plu", "read", "--last", "30"}, 33, 1e-3, 1e-3, PluTable},
    {{"settings", "read"}, 55, 2e-3, 1e-3, Printed},
    {{"clock", "get"}, 2, 0.02, 0, YearAndMonth},
    {{"report", "--json"}, 6, 5e-3, 1e-3, Printed},
    {{"backup", "{dir}"}, 1862, 2e-4, 0, BackupFiles},
};

class CliNoisyLine : public CliTest {
 protected:
  CliRun RunVerb(const ReadingVerb& verb, const sim::FaultOptions& faults, bool verify,
                 std::string& dir) {
    dir = ::testing::TempDir() + "keldaro-noisy-" + std::to_string(++runs_);
    std::filesystem::remove_all(dir);
    std::vector<std::string> args;
    for (const std::string& a : verb.args) args.push_back(a == "{dir}" ? dir : a);
    if (verify) args.push_back("--verify");
    scale_.SetFaults(faults);
    scale_.ClearLog();
    return Run(args);
  }
  int runs_ = 0;
};

TEST_F(CliNoisyLine, EveryReadingVerbGivesWhatACleanLineGives) {
  for (const ReadingVerb& verb : kReadingVerbs) {
    SCOPED_TRACE(verb.args[0]);
    std::string dir;
    const CliRun clean = RunVerb(verb, {}, false, dir);
    ASSERT_EQ(clean.exit_code, kExitOk) << clean.err;
    EXPECT_EQ(static_cast<int>(scale_.Requests().size()), verb.clean_requests);
    EXPECT_EQ(clean.err.find("damage"), std::string::npos) << clean.err;
    const std::string expected = verb.value(clean, dir);

    sim::FaultOptions noise;
    noise.bit_error_rate = verb.bit_error_rate;
    noise.drop_rate = verb.drop_rate;
    noise.seed = 1;
    const CliRun noisy = RunVerb(verb, noise, false, dir);
    ASSERT_EQ(noisy.exit_code, kExitOk) << noisy.err;
    EXPECT_EQ(verb.value(noisy, dir), expected);
    EXPECT_NE(noisy.err.find("line damage: "), std::string::npos) << noisy.err;

    sim::FaultOptions hidden;  // the identify and the first record, which the checksum passes
    hidden.hidden_errors = 2;
    const CliRun verified = RunVerb(verb, hidden, true, dir);
    ASSERT_EQ(verified.exit_code, kExitOk) << verified.err;
    EXPECT_EQ(verb.value(verified, dir), expected);
    EXPECT_NE(verified.err.find("no damaged replies, records read twice\n"), std::string::npos)
        << verified.err;
  }
}

// Lost bytes alone cannot let a wrong record through, so they ask for no second reads; a reply
// of the right size refused for its checksum shows flipped bits, which can.
TEST_F(CliNoisyLine, OnlyFlippedBitsHaveRecordsReadTwice) {
  struct Damage {
    const char* name;
    double drop_rate;
    int bad_checksum;  // replies, the identify's first
    bool read_twice;
  };
  const std::vector<Damage> damages = {{"lost bytes", 0.01, 0, false},
                                       {"a bad checksum", 0, 2, true}};
  std::string dir;
  const std::string clean = PluTable(RunVerb(kReadingVerbs[0], {}, false, dir), dir);
  for (const Damage& damage : damages) {
    SCOPED_TRACE(damage.name);
    sim::FaultOptions faults;
    faults.drop_rate = damage.drop_rate;
    faults.bad_checksum = damage.bad_checksum;
    const CliRun run = RunVerb(kReadingVerbs[0], faults, false, dir);
    ASSERT_EQ(run.exit_code, kExitOk) << run.err;
    EXPECT_EQ(PluTable(run, dir), clean);
    EXPECT_NE(run.err.find("line damage: "), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("records read twice") != std::string::npos, damage.read_twice)
        << run.err;
  }
}

// A record taken before the line showed damage is read again then; one the checksum passed
// damaged is not confirmed, and the run fails rather than give it.
TEST_F(CliNoisyLine, ARecordDamagedBeforeTheLineShowedItIsNotGiven) {
  sim::FaultOptions faults;
  faults.hidden_errors = 2;  // the identify and PLU 0
  faults.bit_error_rate = 1e-3;
  faults.seed = 5;
  std::string dir;
  const CliRun run = RunVerb(kReadingVerbs[0], faults, false, dir);
  EXPECT_EQ(run.exit_code, kExitLinkFailure);
  EXPECT_NE(run.err.find("Comunication Error!\n  PLU 0: taken before the line showed damage"),
            std::string::npos)
      << run.err;
}

}  // namespace
}  // namespace keldaro::cli
