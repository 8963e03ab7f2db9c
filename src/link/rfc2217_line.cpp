#include "link/rfc2217_line.h"

#include <algorithm>

#include "link/telnet.h"

namespace keldaro {
namespace {

using Clock = std::chrono::steady_clock;

bool Wanted(std::uint8_t option) {
  return option == telnet::kBinary || option == telnet::kSuppressGoAhead ||
         option == telnet::kComPortOption;
}

}  // namespace

bool Rfc2217Line::Open(const std::string& host, int port, int baud) {
  decoder_ = {};
  will_sent_ = {};
  do_sent_ = {};
  refused_sent_ = {};
  answered_ = {};
  com_port_agreed_ = false;
  com_port_refused_ = false;
  speed_answered_ = 0;
  if (!TcpLine::Open(host, port, baud)) return false;

  for (const std::uint8_t option : {telnet::kBinary, telnet::kSuppressGoAhead}) {
    SendNegotiation(telnet::kWill, option);
    SendNegotiation(telnet::kDo, option);
  }
  SendNegotiation(telnet::kWill, telnet::kComPortOption);
  // The settings go only to a far end that agreed to the option; their answers are waited for
  // too, but only the speed's decides.
  if (Await([this] { return com_port_agreed_ || com_port_refused_; }) && com_port_agreed_) {
    SendSpeed(baud);
    SendComCommand(telnet::com::kSetDataSize, {8});
    SendComCommand(telnet::com::kSetParity, {telnet::com::kParityNone});
    SendComCommand(telnet::com::kSetStopSize, {telnet::com::kStopBitsOne});
    AwaitAnswers({telnet::com::kSetBaudRate, telnet::com::kSetDataSize, telnet::com::kSetParity,
                  telnet::com::kSetStopSize});
  }
  if (gone_) return Fail(FarEnd() + " closed the connection while the line was being set up");
  if (com_port_refused_) {
    return Fail(FarEnd() +
                " does not take the COM port control option (RFC 2217); name it socket:// for a "
                "raw connection");
  }
  if (!answered_[telnet::com::kSetBaudRate]) {
    return Fail(FarEnd() + " did not answer the RFC 2217 negotiation within " +
                std::to_string(kReplyBound.count() / 1000) + " s");
  }
  if (speed_answered_ != static_cast<std::uint32_t>(baud)) {
    settings_refused_ = true;
    return Fail("the far port at " + FarEnd() + " refused the line speed " + std::to_string(baud) +
                " baud");
  }
  DropInput();
  return true;
}

void Rfc2217Line::RaiseDtr() {
  if (!IsOpen()) return;
  SendComCommand(telnet::com::kSetControl, {telnet::com::kDtrOn});
  SendComCommand(telnet::com::kSetControl, {telnet::com::kRtsOff});
}

bool Rfc2217Line::SetLineSpeed(int baud) {
  if (!IsOpen() || gone_ || baud <= 0) {
    Close();
    return false;
  }
  answered_[telnet::com::kSetBaudRate] = false;
  SendSpeed(baud);
  if (!AwaitAnswers({telnet::com::kSetBaudRate}) ||
      speed_answered_ != static_cast<std::uint32_t>(baud)) {
    Close();
    return false;
  }
  TcpLine::SetLineSpeed(baud);
  DropInput();
  return true;
}

std::size_t Rfc2217Line::TakeReceived(const std::uint8_t* bytes, std::size_t count,
                                      std::uint8_t* data) {
  decoded_.clear();
  events_.clear();
  decoder_.Feed(bytes, count, decoded_, events_);
  for (const telnet::Event& event : events_) Handle(event);
  // Decoding never makes more bytes than it was given.
  std::copy(decoded_.begin(), decoded_.end(), data);
  return decoded_.size();
}

bool Rfc2217Line::SendData(const std::uint8_t* bytes, std::size_t count) {
  outgoing_.clear();
  telnet::AppendEscaped(bytes, count, outgoing_);
  return WriteAll(outgoing_.data(), outgoing_.size());
}

void Rfc2217Line::FlushInput() {
  SendComCommand(telnet::com::kPurgeData, {telnet::com::kPurgeReceiveBuffer});
}

void Rfc2217Line::Handle(const telnet::Event& event) {
  const std::uint8_t option = event.option;
  switch (event.verb) {
    case telnet::kDo:
      if (option == telnet::kComPortOption) com_port_agreed_ = true;
      if (Wanted(option)) {
        if (!will_sent_[option]) SendNegotiation(telnet::kWill, option);
      } else if (!refused_sent_[option]) {
        refused_sent_[option] = true;
        SendNegotiation(telnet::kWont, option);
      }
      break;
    case telnet::kWill:
      if (option != telnet::kComPortOption && Wanted(option)) {
        if (!do_sent_[option]) SendNegotiation(telnet::kDo, option);
      } else if (!refused_sent_[option]) {
        refused_sent_[option] = true;
        SendNegotiation(telnet::kDont, option);
      }
      break;
    case telnet::kDont:
      if (option == telnet::kComPortOption) com_port_refused_ = true;
      break;
    case telnet::kSb: {
      const auto& payload = event.payload;
      if (option != telnet::kComPortOption || payload.empty() ||
          payload[0] < telnet::com::kServerReply) {
        break;
      }
      const std::uint8_t command = payload[0] - telnet::com::kServerReply;
      answered_[command] = true;
      if (command == telnet::com::kSetBaudRate && payload.size() >= 5) {
        speed_answered_ = static_cast<std::uint32_t>(payload[1]) << 24 |
                          static_cast<std::uint32_t>(payload[2]) << 16 |
                          static_cast<std::uint32_t>(payload[3]) << 8 | payload[4];
      }
      break;
    }
    default:  // a refusal of an option this side asked the far end to use changes nothing
      break;
  }
}

void Rfc2217Line::SendNegotiation(std::uint8_t verb, std::uint8_t option) {
  if (verb == telnet::kWill) will_sent_[option] = true;
  if (verb == telnet::kDo) do_sent_[option] = true;
  const std::uint8_t bytes[] = {telnet::kIac, verb, option};
  WriteAll(bytes, sizeof bytes);
}

void Rfc2217Line::SendComCommand(std::uint8_t command, const std::vector<std::uint8_t>& value) {
  outgoing_ = {telnet::kIac, telnet::kSb, telnet::kComPortOption, command};
  telnet::AppendEscaped(value.data(), value.size(), outgoing_);
  outgoing_.insert(outgoing_.end(), {telnet::kIac, telnet::kSe});
  WriteAll(outgoing_.data(), outgoing_.size());
}

void Rfc2217Line::SendSpeed(int baud) {
  const auto speed = static_cast<std::uint32_t>(baud);
  SendComCommand(telnet::com::kSetBaudRate,
                 {static_cast<std::uint8_t>(speed >> 24), static_cast<std::uint8_t>(speed >> 16),
                  static_cast<std::uint8_t>(speed >> 8), static_cast<std::uint8_t>(speed)});
}

bool Rfc2217Line::Await(const std::function<bool()>& done) {
  auto until = Clock::now() + kReplyBound;
  std::array<std::uint8_t, 256> raw{};
  std::array<std::uint8_t, 256> stale{};  // data before the line is set up belongs to no request
  while (!done()) {
    const long n = ReadRaw(raw.data(), raw.size(), until);
    if (n <= 0) return false;
    TakeReceived(raw.data(), static_cast<std::size_t>(n), stale.data());
  }
  return true;
}

bool Rfc2217Line::AwaitAnswers(std::initializer_list<std::uint8_t> commands) {
  return Await([&] {
           return com_port_refused_ ||
                  std::all_of(commands.begin(), commands.end(),
                              [&](std::uint8_t command) { return answered_[command]; });
         }) &&
         !com_port_refused_;
}

}  // namespace keldaro
