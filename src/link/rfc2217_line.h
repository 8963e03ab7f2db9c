// A serial line carried over Telnet with the COM port control option (rfc2217://HOST:PORT, RFC
// 2217): the far port is set to the line speed, 8 data bits, no parity and one stop bit when the
// connection opens and whenever the speed changes, its DTR raised, and its receive buffer purged
// where the line is drained. Data goes both ways with IAC doubled. The far end's answer to each
// setting is waited for at most kReplyBound; a far end that refuses the speed refuses the open,
// one that leaves a control unanswered (a port without modem lines) does not.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "link/tcp_line.h"
#include "link/telnet_decoder.h"

namespace keldaro {

class Rfc2217Line final : public TcpLine {
 public:
  static constexpr std::chrono::milliseconds kReplyBound{2000};

  // Connects, negotiates the options and sets the far port to `baud` 8N1. LastOpenRefusedSettings
  // is true when the far end answered with another speed.
  bool Open(const std::string& host, int port, int baud);
  // DTR on, RTS off at the far port; not waited for.
  void RaiseDtr() override;
  // Drops the bytes read ahead. The far port's buffer is purged where the line is drained
  // (before the first exchange and every resend, where stale bytes are to be expected): a purge
  // before every request would cost every exchange a command and its answer.
  void PurgeInput() override { ForgetReadAhead(); }
  // Sets the far port's speed and waits for its answer; false (closed) when it refused it or
  // did not answer.
  bool SetLineSpeed(int baud) override;

 private:
  std::size_t TakeReceived(const std::uint8_t* bytes, std::size_t count,
                           std::uint8_t* data) override;
  bool SendData(const std::uint8_t* bytes, std::size_t count) override;
  void FlushInput() override;

  void Handle(const telnet::Event& event);
  void SendNegotiation(std::uint8_t verb, std::uint8_t option);
  void SendComCommand(std::uint8_t command, const std::vector<std::uint8_t>& value);
  void SendSpeed(int baud);
  // Reads and handles what comes until `done` says so (true), or the line went away or
  // kReplyBound ran out (false).
  bool Await(const std::function<bool()>& done);
  // Awaits the far end's answer to every command in `commands`; false when one is missing or
  // the option was refused.
  bool AwaitAnswers(std::initializer_list<std::uint8_t> commands);

  telnet::Decoder decoder_;
  std::vector<std::uint8_t> decoded_;
  std::vector<telnet::Event> events_;
  std::vector<std::uint8_t> outgoing_;
  std::array<bool, 256> will_sent_{};     // options this side offered or agreed to use
  std::array<bool, 256> do_sent_{};       // options this side asked or let the far end use
  std::array<bool, 256> refused_sent_{};  // options this side declined, once each
  std::array<bool, 256> answered_{};      // COM port commands the far end answered
  bool com_port_agreed_ = false;
  bool com_port_refused_ = false;
  std::uint32_t speed_answered_ = 0;
};

}  // namespace keldaro
