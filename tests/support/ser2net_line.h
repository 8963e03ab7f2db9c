// ser2net started for a test on 127.0.0.1, carrying a pseudo-terminal (the virtual scale's) over
// the network twice: a raw TCP accepter (socket://) and a telnet(rfc2217) one (rfc2217://), each
// on a free port, with its configuration in a folder of its own. ser2net must be installed
// (scripts/setup.sh installs it): without it Start fails and says so, so the tests that need it
// fail rather than pass unseen.
#pragma once

#include <netinet/in.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

namespace keldaro::testing {

class Ser2netLine {
 public:
  Ser2netLine() = default;
  Ser2netLine(const Ser2netLine&) = delete;
  Ser2netLine& operator=(const Ser2netLine&) = delete;
  ~Ser2netLine() { Stop(); }

  // Starts ser2net on `device` (the far port opened at `baud`) and waits until both accepters
  // listen. False with the reason in `error`.
  bool Start(const std::string& device, int baud, std::string* error) {
    const std::string program = Program();
    if (program.empty()) {
      *error = "ser2net is not installed: run scripts/setup.sh";
      return false;
    }
    char folder[] = "/tmp/keldaro-ser2net-XXXXXX";
    if (::mkdtemp(folder) == nullptr) {
      *error = "no temporary folder for ser2net";
      return false;
    }
    folder_ = folder;
    device_ = device;
    raw_port_ = FreePort();
    rfc2217_port_ = FreePort();
    const std::string config = folder_ + "/ser2net.yaml";
    std::ofstream(config) << Connection("raw", "tcp", raw_port_, device, baud)
                          << Connection("rfc2217", "telnet(rfc2217),tcp", rfc2217_port_, device,
                                        baud);
    pid_ = ::fork();
    if (pid_ == 0) {
      ::prctl(PR_SET_PDEATHSIG, SIGTERM);  // a test that crashes takes ser2net with it
      // Foreground, no lock files, its own configuration only; its chatter goes to a log.
      const std::string log = folder_ + "/ser2net.log";
      std::freopen(log.c_str(), "w", stdout);
      std::freopen(log.c_str(), "a", stderr);
      const std::string pid_file = folder_ + "/ser2net.pid";
      ::execl(program.c_str(), program.c_str(), "-n", "-u", "-c", config.c_str(), "-P",
              pid_file.c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!(Listening(raw_port_) && Listening(rfc2217_port_))) {
      int status = 0;
      if (::waitpid(pid_, &status, WNOHANG) == pid_ || std::chrono::steady_clock::now() > give_up) {
        pid_ = -1;
        *error = "ser2net did not start; see " + folder_ + "/ser2net.log";
        return false;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
  }

  // Ends ser2net (which drops its connections, as a device server that is switched off) and
  // removes its folder.
  void Stop() {
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      ::waitpid(pid_, nullptr, 0);
      pid_ = -1;
    }
    if (!folder_.empty()) {
      std::error_code ignored;
      std::filesystem::remove_all(folder_, ignored);
      folder_.clear();
    }
  }

  // Waits (at most 2 s) until ser2net has let go of the device after a connection ended: it
  // closes the device a moment after the client, and meanwhile refuses a connection to the
  // other accepter, which shares the device. True when it did.
  bool WaitUntilDeviceFree() const {
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (HoldsDevice()) {
      if (std::chrono::steady_clock::now() > give_up) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
  }

  std::string SocketUrl() const { return "socket://127.0.0.1:" + std::to_string(raw_port_); }
  std::string Rfc2217Url() const { return "rfc2217://127.0.0.1:" + std::to_string(rfc2217_port_); }

 private:
  bool HoldsDevice() const {
    std::error_code error;
    const std::string fds = "/proc/" + std::to_string(pid_) + "/fd";
    for (const auto& fd : std::filesystem::directory_iterator(fds, error)) {
      if (std::filesystem::read_symlink(fd.path(), error) == device_) return true;
    }
    return false;
  }

  static std::string Program() {
    for (const char* dir : {"/usr/sbin/", "/usr/bin/", "/usr/local/sbin/", "/usr/local/bin/"}) {
      const std::string path = std::string(dir) + "ser2net";
      if (::access(path.c_str(), X_OK) == 0) return path;
    }
    return {};
  }

  // chardelay off: each byte goes on at once instead of being held for the ones after it.
  static std::string Connection(const std::string& name, const std::string& accepter, int port,
                                const std::string& device, int baud) {
    return "connection: &" + name + "\n  accepter: " + accepter + ",127.0.0.1," +
           std::to_string(port) + "\n  connector: serialdev," + device + "," +
           std::to_string(baud) + "n81,local\n  options:\n    chardelay: false\n";
  }

  static int BoundSocket(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
      ::close(fd);
      return -1;
    }
    return fd;
  }

  static int FreePort() {
    const int fd = BoundSocket(0);
    sockaddr_in address{};
    socklen_t size = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    ::close(fd);
    return ntohs(address.sin_port);
  }

  // A port someone listens on cannot be bound again (no connection is made to find out, which
  // would make ser2net open the device).
  static bool Listening(int port) {
    const int fd = BoundSocket(port);
    if (fd < 0) return true;
    ::close(fd);
    return false;
  }

  pid_t pid_ = -1;
  std::string folder_;
  std::string device_;
  int raw_port_ = 0;
  int rfc2217_port_ = 0;
};

}  // namespace keldaro::testing
