// Lines over TCP against scripted far ends on 127.0.0.1: how opens fail, a far end that goes away
// in the middle of a reply, and IAC in the data of a Telnet line.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "link/commands.h"
#include "link/open_transport.h"
#include "link/packet.h"
#include "link/telnet.h"
#include "link/telnet_decoder.h"
#include "link/wire.h"

namespace keldaro {
namespace {

using Bytes = std::vector<std::uint8_t>;

// One connection on a free port of 127.0.0.1, served by `script` on a thread of its own.
class ScriptedServer {
 public:
  explicit ScriptedServer(std::function<void(int)> script) {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    ::bind(listener_, reinterpret_cast<sockaddr*>(&address), size);
    ::listen(listener_, 1);
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this, script] {
      const int fd = ::accept(listener_, nullptr, nullptr);
      if (fd < 0) return;
      script(fd);
      ::close(fd);
    });
  }
  ~ScriptedServer() {
    ::shutdown(listener_, SHUT_RDWR);  // ends an accept still waiting
    thread_.join();
    ::close(listener_);
  }
  int Port() const { return port_; }
  std::string Url(const char* scheme) const {
    return std::string(scheme) + "://127.0.0.1:" + std::to_string(port_);
  }

 private:
  int listener_ = -1;
  int port_ = 0;
  std::thread thread_;
};

// What came from the client, decoded as a Telnet line.
struct Heard {
  telnet::Decoder decoder;
  Bytes data;
  std::vector<telnet::Event> events;
};

// Reads from `fd` into `heard` until `enough` says so, the client closes or 5 s pass without a
// byte (longer than any bound of the client's).
void HearUntil(int fd, Heard& heard, const std::function<bool()>& enough) {
  while (!enough()) {
    pollfd p{fd, POLLIN, 0};
    std::uint8_t buffer[256];
    if (::poll(&p, 1, 5000) <= 0) return;
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n <= 0) return;
    heard.decoder.Feed(buffer, static_cast<std::size_t>(n), heard.data, heard.events);
  }
}

void Send(int fd, const Bytes& bytes) { ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL); }

Bytes ComAnswer(std::uint8_t command, const Bytes& value) {
  Bytes bytes = {telnet::kIac, telnet::kSb, telnet::kComPortOption,
                 static_cast<std::uint8_t>(command + telnet::com::kServerReply)};
  telnet::AppendEscaped(value.data(), value.size(), bytes);
  bytes.insert(bytes.end(), {telnet::kIac, telnet::kSe});
  return bytes;
}

// Answers the client's four line settings as a far end that applies them, giving `speed` as
// the speed it set (0: the one asked for).
void AnswerLineSettings(int fd, Heard& heard, std::uint32_t speed = 0) {
  std::size_t answered = 0;
  HearUntil(fd, heard, [&] {
    for (; answered < heard.events.size(); ++answered) {
      const telnet::Event& e = heard.events[answered];
      if (e.verb == telnet::kWill && e.option == telnet::kComPortOption) {
        Send(fd, {telnet::kIac, telnet::kDo, telnet::kComPortOption});
      }
      if (e.verb != telnet::kSb || e.payload.empty()) continue;
      Bytes value(e.payload.begin() + 1, e.payload.end());
      if (e.payload[0] == telnet::com::kSetBaudRate && speed != 0) {
        value = {static_cast<std::uint8_t>(speed >> 24), static_cast<std::uint8_t>(speed >> 16),
                 static_cast<std::uint8_t>(speed >> 8), static_cast<std::uint8_t>(speed)};
      }
      Send(fd, ComAnswer(e.payload[0], value));
      if (e.payload[0] == telnet::com::kSetStopSize) return true;  // the last one asked
    }
    return false;
  });
}

std::unique_ptr<Transport> Open(const std::string& url, int baud) {
  return OpenTransport(PortName::Parse(url).value(), baud, [](Transport&) {});
}

// A far end that runs `script`, then takes whatever comes until the client closes the line.
std::function<void(int)> Holding(const std::function<void(int, Heard&)>& script) {
  return [script](int fd) {
    Heard heard;
    script(fd, heard);
    HearUntil(fd, heard, [] { return false; });
  };
}

// A port of 127.0.0.1 where nothing listens: one a server has just given up.
int FreePort() {
  const ScriptedServer gone([](int) {});
  return gone.Port();
}

TEST(TcpLine, AFailedOpenNamesTheFarEndAndWhatWentWrong) {
  struct Case {
    const char* what;
    const char* scheme;
    std::function<void(int)> far_end;  // none: nothing listens on the port
    const char* message;               // '@' stands for the far end
    bool settings_refused;
  };
  const Case cases[] = {
      {"nothing listens", "socket", nullptr, "@ refused the connection: nothing listens there",
       false},
      {"closes at once", "rfc2217", [](int) {},
       "@ closed the connection while the line was being set up", false},
      {"refuses the option", "rfc2217", Holding([](int fd, Heard& heard) {
         HearUntil(fd, heard, [&] { return !heard.events.empty(); });
         Send(fd, {telnet::kIac, telnet::kDont, telnet::kComPortOption});
       }),
       "@ does not take the COM port control option (RFC 2217); name it socket:// for a raw "
       "connection",
       false},
      {"sets another speed", "rfc2217",
       Holding([](int fd, Heard& heard) { AnswerLineSettings(fd, heard, 9600); }),
       "the far port at @ refused the line speed 19200 baud", true},
      {"never answers the settings", "rfc2217", Holding([](int, Heard&) {}),
       "@ did not answer the RFC 2217 negotiation within 2 s", false},
  };
  for (const Case& c : cases) {
    const auto server = c.far_end ? std::make_unique<ScriptedServer>(c.far_end) : nullptr;
    const int port = server ? server->Port() : FreePort();
    const auto line = Open(std::string(c.scheme) + "://127.0.0.1:" + std::to_string(port), 19200);
    EXPECT_FALSE(line->IsOpen()) << c.what;
    std::string message = c.message;
    message.replace(message.find('@'), 1, "127.0.0.1 port " + std::to_string(port));
    EXPECT_EQ(line->LastOpenError(), message) << c.what;
    EXPECT_EQ(line->LastOpenRefusedSettings(), c.settings_refused) << c.what;
  }
}

TEST(TcpLine, AFarEndClosingInTheMiddleOfAReplyEndsTheRunAsPortGone) {
  for (const char* scheme : {"socket", "rfc2217"}) {
    ScriptedServer server([scheme](int fd) {
      Heard heard;
      if (std::string(scheme) == "rfc2217") AnswerLineSettings(fd, heard);
      const std::size_t before = heard.data.size();
      HearUntil(fd, heard, [&] { return heard.data.size() > before; });  // the request
      Send(fd, {wire::kAck, wire::kMark, wire::kFrameStart, 0x00});      // and no more of the reply
    });
    Packet packet;
    packet.SetReadTimeout(std::chrono::milliseconds(100));
    ASSERT_TRUE(packet.Open(PortName::Parse(server.Url(scheme)).value(), 115200))
        << packet.LastOpenError();
    packet.Clear();
    packet.Execute(cmd::kIdentify);
    EXPECT_TRUE(packet.Failed) << scheme;
    EXPECT_EQ(packet.Failure(), LinkFailure::kPortGone) << scheme;
  }
}

TEST(Rfc2217Line, DataBytesOfValueIacCrossTheLineBothWays) {
  const Bytes sent = {1, telnet::kIac, 2};
  Heard heard;
  {
    ScriptedServer server([&heard](int fd) {
      AnswerLineSettings(fd, heard);
      heard.data.clear();
      HearUntil(fd, heard, [&] { return heard.data.size() >= 3; });
      // Data with a doubled IAC, and an unasked notice of the far port's state in the middle.
      Send(fd, {telnet::kIac, telnet::kIac, 5, telnet::kIac, telnet::kSb, telnet::kComPortOption,
                107, 0x30, telnet::kIac, telnet::kSe, 6});
      HearUntil(fd, heard, [] { return false; });
    });
    const auto line = Open(server.Url("rfc2217"), 115200);
    ASSERT_TRUE(line->IsOpen()) << line->LastOpenError();
    line->WriteBlock(sent.data(), sent.size());
    Bytes received;
    for (int i = 0; i < 3; ++i) received.push_back(line->ReadByte());
    EXPECT_FALSE(line->Error);
    EXPECT_EQ(received, (Bytes{telnet::kIac, 5, 6}));
    line->Close();
  }  // the far end's record is complete once its thread has ended
  EXPECT_EQ(heard.data, sent);
}

}  // namespace
}  // namespace keldaro
