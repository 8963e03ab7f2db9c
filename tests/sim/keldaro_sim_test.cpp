// The keldaro-sim executable: usage, its first output line, serving and a clean exit on SIGTERM.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "link/commands.h"
#include "sim/pc_client.h"

extern char** environ;

namespace keldaro::sim {
namespace {

using testing::AddWord;
using testing::Bytes;
using testing::DwordAt;
using testing::PcPort;
using testing::TextAt;
using testing::Transact;

// A running keldaro-sim with its stdout (and, optionally, stderr) on pipes.
class SimProcess {
 public:
  explicit SimProcess(std::vector<std::string> args) {
    args.insert(args.begin(), KELDARO_SIM_EXE);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    int out[2];
    int err[2];
    if (pipe(out) != 0 || pipe(err) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, err[0]);
    if (posix_spawn(&pid_, KELDARO_SIM_EXE, &actions, nullptr, argv.data(), environ) != 0)
      pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(err[1]);
    out_ = out[0];
    err_ = err[0];
  }
  ~SimProcess() {
    if (pid_ > 0 && !exited_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (out_ >= 0) close(out_);
    if (err_ >= 0) close(err_);
  }

  // Everything written to stdout up to the first newline (without it); empty on time-out.
  std::string FirstLine(int timeout_ms = 3000) {
    std::string line;
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (std::chrono::steady_clock::now() < until) {
      pollfd p{out_, POLLIN, 0};
      if (poll(&p, 1, 50) <= 0) continue;
      char c = 0;
      if (read(out_, &c, 1) != 1) break;
      if (c == '\n') return line;
      line.push_back(c);
    }
    return {};
  }

  // Waits for the exit; returns the exit status, or -1 on time-out or death by a signal. The
  // wait is on a process descriptor, which poll() reports readable when the process ends.
  int Wait(int timeout_ms = 3000) {
    const int pidfd = static_cast<int>(syscall(SYS_pidfd_open, pid_, 0));
    if (pidfd < 0) return -1;
    pollfd p{pidfd, POLLIN, 0};
    const int ready = poll(&p, 1, timeout_ms);
    close(pidfd);
    if (ready <= 0) return -1;
    int status = 0;
    if (waitpid(pid_, &status, 0) != pid_) return -1;
    exited_ = true;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  std::string ReadAll(int fd) {
    std::string text;
    char buffer[4096];
    for (;;) {
      pollfd p{fd, POLLIN, 0};
      if (poll(&p, 1, 200) <= 0) break;
      const ssize_t n = read(fd, buffer, sizeof buffer);
      if (n <= 0) break;
      text.append(buffer, static_cast<std::size_t>(n));
    }
    return text;
  }
  std::string Stdout() { return ReadAll(out_); }
  std::string Stderr() { return ReadAll(err_); }

  pid_t pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  int err_ = -1;
  bool exited_ = false;
};

TEST(KeldaroSim, HelpPrintsUsageAndExitsZero) {
  SimProcess sim({"--help"});
  ASSERT_GT(sim.pid(), 0);
  EXPECT_EQ(sim.Wait(), 0);
  const std::string out = sim.Stdout();
  EXPECT_NE(out.find("Usage: keldaro-sim"), std::string::npos) << out;
  EXPECT_NE(out.find("--bit-errors"), std::string::npos);
}

TEST(KeldaroSim, BadUsageExitsTwoWithUsage) {
  const std::vector<std::vector<std::string>> bad = {
      {"--frobnicate"}, {"--status", "zz"}, {"--status", "100"},  {"--nak-first", "-1"},
      {"--nak-first"},  {"--garbage"},      {"--garbage", "ABC"}, {"--bit-errors", "2"},
      {"--drop", "x"},  {"--seed", "-3"},   {"--empty=1"},        {"stray"},
      {"--no-ack"},     {"--reply-pause"},
  };
  for (const auto& args : bad) {
    SimProcess sim(args);
    ASSERT_GT(sim.pid(), 0);
    EXPECT_EQ(sim.Wait(), 2) << args[0];
    EXPECT_NE(sim.Stderr().find("Usage: keldaro-sim"), std::string::npos) << args[0];
  }
}

TEST(KeldaroSim, PrintsTheSlavePathServesAndCleansUpOnSigterm) {
  char dir_template[] = "/tmp/keldaro-sim-cli-XXXXXX";
  ASSERT_NE(mkdtemp(dir_template), nullptr);
  const std::string link = std::string(dir_template) + "/ttyV0";
  SimProcess sim({"--link", link, "--identity", "TEŞTİ", "--status", "04"});
  ASSERT_GT(sim.pid(), 0);
  const std::string path = sim.FirstLine();
  ASSERT_EQ(path.rfind("/dev/pts/", 0), 0u) << path;
  char target[256] = {};
  ASSERT_GT(readlink(link.c_str(), target, sizeof target - 1), 0);
  EXPECT_EQ(std::string(target), path);

  PcPort port;
  ASSERT_TRUE(port.Open(link));
  const auto ex = Transact(port, cmd::kIdentify);
  ASSERT_TRUE(ex.checksum_ok);
  EXPECT_EQ(ex.status, 0x04);
  EXPECT_EQ(TextAt(ex.fields, 0, 32), "TE\xDET\xDD");  // sent as Windows-1254
  port.Close();

  ASSERT_EQ(kill(sim.pid(), SIGTERM), 0);
  EXPECT_EQ(sim.Wait(), 0);
  struct stat st {};
  EXPECT_NE(lstat(link.c_str(), &st), 0) << "link left behind";
  rmdir(dir_template);
}

TEST(KeldaroSim, RefusesALinkThatAnotherRunningSimHolds) {
  char dir_template[] = "/tmp/keldaro-sim-cli-XXXXXX";
  ASSERT_NE(mkdtemp(dir_template), nullptr);
  const std::string link = std::string(dir_template) + "/ttyV0";
  SimProcess first({"--link", link});
  const std::string path = first.FirstLine();
  ASSERT_FALSE(path.empty());
  {
    SimProcess second({"--link", link});
    EXPECT_EQ(second.Wait(), 1);
    EXPECT_NE(second.Stderr().find("held by another running virtual scale"), std::string::npos);
  }
  char target[256] = {};
  ASSERT_GT(readlink(link.c_str(), target, sizeof target - 1), 0);
  EXPECT_EQ(std::string(target), path);  // still the first one's, not taken over
  ASSERT_EQ(kill(first.pid(), SIGTERM), 0);
  EXPECT_EQ(first.Wait(), 0);
  struct stat st {};
  EXPECT_NE(lstat(link.c_str(), &st), 0);
  rmdir(dir_template);
}

TEST(KeldaroSim, FaultOptionsReachTheScale) {
  {
    SimProcess sim({"--empty", "--garbage", "55", "AA:01"});
    const std::string path = sim.FirstLine();
    ASSERT_FALSE(path.empty());
    PcPort port;
    ASSERT_TRUE(port.Open(path));
    Bytes req;
    AddWord(req, 1);
    req.push_back(0);
    req.push_back(54);
    const auto ex = Transact(port, cmd::kReadPlu, req);
    ASSERT_TRUE(ex.checksum_ok);
    EXPECT_EQ(static_cast<std::int32_t>(DwordAt(ex.fields, 0)), -1);  // --empty
    ASSERT_GE(ex.raw.size(), 4u);
    EXPECT_EQ(Bytes(ex.raw.begin(), ex.raw.begin() + 4), (Bytes{0x55, 0xAA, 0x01, 0xC3}));
    kill(sim.pid(), SIGINT);
    EXPECT_EQ(sim.Wait(), 0);
  }
  {
    SimProcess sim({"--silent"});
    const std::string path = sim.FirstLine();
    ASSERT_FALSE(path.empty());
    PcPort port;
    ASSERT_TRUE(port.Open(path));
    port.Write(testing::RequestFrame(cmd::kIdentify));
    EXPECT_TRUE(port.ReadUntilQuiet(300).empty());
    kill(sim.pid(), SIGTERM);
    EXPECT_EQ(sim.Wait(), 0);
  }
  {
    SimProcess sim({"--nak-first=1", "--bad-checksum", "1", "--seed", "5", "--pace"});
    const std::string path = sim.FirstLine();
    ASSERT_FALSE(path.empty());
    PcPort port;
    ASSERT_TRUE(port.Open(path));
    EXPECT_EQ(Transact(port, cmd::kIdentify).answer, 0x15);
    const auto bad = Transact(port, cmd::kIdentify);  // Transact answers it with NAK ...
    EXPECT_TRUE(bad.acked);
    EXPECT_FALSE(bad.checksum_ok);
    Bytes body;
    ASSERT_TRUE(port.ReadReplyFrame(&body, nullptr, 1000));  // ... and a good copy follows
    port.WriteByte(0x06);
    EXPECT_TRUE(Transact(port, cmd::kIdentify).checksum_ok);
    kill(sim.pid(), SIGTERM);
    EXPECT_EQ(sim.Wait(), 0);
  }
  {
    SimProcess sim({"--no-ack", "1", "--reply-pause", "400"});
    const std::string path = sim.FirstLine();
    ASSERT_FALSE(path.empty());
    PcPort port;
    ASSERT_TRUE(port.Open(path));
    port.Write(testing::RequestFrame(cmd::kIdentify));
    const Bytes head = port.ReadUntilQuiet(150);  // up to the pause
    const Bytes tail = port.ReadUntilQuiet(500);
    ASSERT_GE(head.size(), 3u);
    ASSERT_GE(tail.size(), 2u);
    EXPECT_EQ(Bytes(head.begin(), head.begin() + 3), (Bytes{0xC3, 0x04, 0x00}));  // no ACK
    EXPECT_EQ(Bytes(tail.end() - 2, tail.end()), (Bytes{0xC3, 0x02}));
    kill(sim.pid(), SIGTERM);
    EXPECT_EQ(sim.Wait(), 0);
  }
}

}  // namespace
}  // namespace keldaro::sim
