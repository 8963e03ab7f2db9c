// The fleet verbs against a fresh database on each server the fleet supports.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <algorithm>
#include <string>
#include <vector>

#include "cli/cli_fixture.h"
#include "support/fleet_backends.h"

namespace keldaro::cli {
namespace {

class CliFleetTest : public ::testing::TestWithParam<test::FleetBackend> {
 protected:
  // The fleet command line, with --db set to this test's database unless it names another.
  CliRun Fleet(std::vector<std::string> args) {
    if (std::find(args.begin(), args.end(), "--db") == args.end()) {
      args.insert(args.end(), {"--db", db_});
    }
    args.insert(args.begin(), "fleet");
    return RunCliCaptured(args);
  }
  // Runs each command line in turn, each expected to succeed.
  void FleetAll(const std::vector<std::vector<std::string>>& commands) {
    for (const std::vector<std::string>& args : commands) {
      const CliRun run = Fleet(args);
      ASSERT_EQ(run.exit_code, kExitOk) << args.front() << ": " << run.err;
    }
  }

  QTemporaryDir dir_;
  std::string db_ = GetParam().fresh_database(dir_.path());
};

INSTANTIATE_TEST_SUITE_P(Servers, CliFleetTest, ::testing::ValuesIn(test::FleetBackends()),
                         test::FleetBackendName);

TEST_P(CliFleetTest, AddSetRemoveShowInTheList) {
  FleetAll({{"add", "tezgah-1", "--port", "COM1", "--group", "kadikoy", "--group", "sarkuteri"},
            {"add", "tezgah-2", "--port", "/dev/ttyUSB0", "--baud", "19200"},
            {"add", "depo", "--port", "socket://10.0.0.5:4001"}});
  EXPECT_EQ(Fleet({"list"}).out,
            "depo\tsocket://10.0.0.5:4001\t9600\t-\t-\n"
            "tezgah-1\tCOM1\t9600\tkadikoy,sarkuteri\t-\n"
            "tezgah-2\t/dev/ttyUSB0\t19200\t-\t-\n");

  // A scale moved to another port keeps its other settings; the groups given replace the old.
  FleetAll({{"set", "tezgah-1", "--port", "COM3"},
            {"set", "tezgah-2", "--baud", "9600", "--group", "kadikoy"},
            {"remove", "depo"}});
  const CliRun json = Fleet({"list", "--json"});
  EXPECT_EQ(json.exit_code, kExitOk);
  EXPECT_EQ(json.out,
            "[\n"
            "    {\n"
            "        \"name\": \"tezgah-1\",\n"
            "        \"port\": \"COM3\",\n"
            "        \"baud\": 9600,\n"
            "        \"groups\": [\n"
            "            \"kadikoy\",\n"
            "            \"sarkuteri\"\n"
            "        ],\n"
            "        \"identity\": \"\"\n"
            "    },\n"
            "    {\n"
            "        \"name\": \"tezgah-2\",\n"
            "        \"port\": \"/dev/ttyUSB0\",\n"
            "        \"baud\": 9600,\n"
            "        \"groups\": [\n"
            "            \"kadikoy\"\n"
            "        ],\n"
            "        \"identity\": \"\"\n"
            "    }\n"
            "]\n");
}

TEST_P(CliFleetTest, BadUsageChangesNothing) {
  FleetAll({{"add", "tezgah-1", "--port", "COM1"}});
  const struct {
    std::vector<std::string> args;
    const char* reason_holds;
  } cases[] = {
      {{"add", "tezgah-2"}, "--port is required"},
      {{"add", " ", "--port", "COM2"}, "name cannot be empty"},
      {{"add", "tezgah-2", "--port", "socket://host"}, "socket://"},
      {{"add", "tezgah-2", "--port", "COM2", "--baud", "0"}, "--baud"},
      {{"add", "tezgah-1", "--port", "COM2"}, "'tezgah-1' is already in the fleet"},
      {{"add", "tezgah-2", "--port", "COM2", "--group", "a,b"}, "cannot hold a comma"},
      {{"set", "tezgah-1"}, "needs --port, --baud or --group"},
      {{"set", "kasa", "--port", "COM2"}, "no scale named 'kasa'"},
      {{"remove", "kasa"}, "no scale named 'kasa'"},
      {{"list", "--db", "postgresql://db.example/chain"}, "USER@HOST"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.front() + " " + c.reason_holds);
    const CliRun run = Fleet(c.args);
    EXPECT_EQ(run.exit_code, kExitBadInput);
    EXPECT_NE(run.err.find(c.reason_holds), std::string::npos) << run.err;
  }
  EXPECT_EQ(Fleet({"list"}).out, "tezgah-1\tCOM1\t9600\t-\t-\n");
}

}  // namespace
}  // namespace keldaro::cli
