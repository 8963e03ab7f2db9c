#include "sim/pc_client.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>

namespace keldaro::sim::testing {
namespace {

constexpr std::uint8_t kMark = 0xC3;

void PutEscaped(Bytes& out, std::uint8_t b) {
  out.push_back(b);
  if (b == kMark) out.push_back(b);
}

Bytes BuildFrame(std::uint8_t address, std::uint8_t code, const Bytes& payload,
                 std::uint8_t checksum_flip) {
  Bytes out = {kMark, 0x04, address, code};
  std::uint8_t sum = address ^ code;
  for (std::uint8_t b : payload) {
    PutEscaped(out, b);
    sum ^= b;
  }
  PutEscaped(out, sum ^ checksum_flip);
  out.push_back(kMark);
  out.push_back(0x02);
  return out;
}

long long NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

Bytes RequestFrame(std::uint8_t code, const Bytes& payload, std::uint8_t address) {
  return BuildFrame(address, code, payload, 0);
}

Bytes BadRequestFrame(std::uint8_t code, const Bytes& payload) {
  return BuildFrame(0, code, payload, 0x01);
}

void AddWord(Bytes& out, std::uint16_t v) {
  out.push_back(static_cast<std::uint8_t>(v >> 8));
  out.push_back(static_cast<std::uint8_t>(v));
}

void AddDword(Bytes& out, std::uint32_t v) {
  AddWord(out, static_cast<std::uint16_t>(v >> 16));
  AddWord(out, static_cast<std::uint16_t>(v));
}

void AddText(Bytes& out, const std::string& text, std::size_t width) {
  for (std::size_t i = 0; i < width; ++i) {
    out.push_back(i < text.size() ? static_cast<std::uint8_t>(text[i]) : 0);
  }
  out.push_back(0);
}

std::uint16_t WordAt(const Bytes& b, std::size_t at) {
  return static_cast<std::uint16_t>((b.at(at) << 8) | b.at(at + 1));
}

std::uint32_t DwordAt(const Bytes& b, std::size_t at) {
  return (std::uint32_t{WordAt(b, at)} << 16) | WordAt(b, at + 2);
}

std::string TextAt(const Bytes& b, std::size_t at, std::size_t width) {
  std::string text;
  for (std::size_t i = 0; i < width && b.at(at + i) != 0; ++i) {
    text.push_back(static_cast<char>(b.at(at + i)));
  }
  return text;
}

PcPort::~PcPort() { Close(); }

bool PcPort::Open(const std::string& path, speed_t speed) {
  Close();
  fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd_ < 0) return false;
  termios tio{};
  if (tcgetattr(fd_, &tio) != 0) return false;
  cfmakeraw(&tio);
  tio.c_cflag |= CLOCAL | CREAD;
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  cfsetispeed(&tio, speed);
  cfsetospeed(&tio, speed);
  if (tcsetattr(fd_, TCSANOW, &tio) != 0) return false;
  buffer_.clear();
  pos_ = 0;
  return true;
}

void PcPort::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  buffer_.clear();
  pos_ = 0;
}

void PcPort::Write(const Bytes& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
    if (n <= 0) {
      ADD_FAILURE() << "write to the slave failed";
      return;
    }
    done += static_cast<std::size_t>(n);
  }
}

bool PcPort::ReadByte(std::uint8_t* b, int timeout_ms) {
  if (pos_ >= buffer_.size()) {
    buffer_.clear();
    pos_ = 0;
    const long long until = NowMs() + timeout_ms;
    for (;;) {
      pollfd p{fd_, POLLIN, 0};
      const long long left = until - NowMs();
      if (left < 0) return false;
      if (::poll(&p, 1, static_cast<int>(left)) <= 0) continue;
      std::uint8_t chunk[512];
      const ssize_t n = ::read(fd_, chunk, sizeof chunk);
      if (n > 0) {
        buffer_.assign(chunk, chunk + n);
        break;
      }
    }
  }
  *b = buffer_[pos_++];
  return true;
}

Bytes PcPort::ReadUntilQuiet(int quiet_ms) {
  Bytes out;
  std::uint8_t b = 0;
  while (ReadByte(&b, quiet_ms)) out.push_back(b);
  return out;
}

void PcPort::Purge() {
  tcflush(fd_, TCIFLUSH);
  buffer_.clear();
  pos_ = 0;
}

bool PcPort::ReadReplyFrame(Bytes* body, Bytes* raw, int timeout_ms) {
  body->clear();
  std::uint8_t b = 0;
  auto next = [&]() {
    if (!ReadByte(&b, timeout_ms)) return false;
    if (raw != nullptr) raw->push_back(b);
    return true;
  };
  bool pending = false;  // b holds the byte after a C3 inside a body: a possible new 04
  for (;;) {
    if (!pending) {
      if (!next()) return false;
      if (b != kMark) continue;
      if (!next()) return false;
    }
    pending = false;
    if (b != 0x04) continue;
    if (!next()) return false;
    if (b != 0x00) continue;
    body->clear();
    for (;;) {
      if (!next()) return false;
      if (b != kMark) {
        body->push_back(b);
        continue;
      }
      if (!next()) return false;
      if (b == kMark) {
        body->push_back(kMark);
      } else if (b == 0x02) {
        return true;
      } else {
        pending = true;
        break;
      }
    }
  }
}

Exchange Transact(PcPort& port, std::uint8_t code, const Bytes& payload, int timeout_ms) {
  Exchange ex;
  port.Write(RequestFrame(code, payload));
  if (!port.ReadByte(&ex.answer, timeout_ms)) return ex;
  ex.acked = ex.answer == 0x06;
  if (!ex.acked) return ex;
  Bytes body;
  if (!port.ReadReplyFrame(&body, &ex.raw, timeout_ms)) return ex;
  ex.got_reply = true;
  std::uint8_t sum = 0;
  for (std::uint8_t b : body) sum ^= b;
  ex.checksum_ok = body.size() >= 3 && sum == 0;
  port.WriteByte(ex.checksum_ok ? 0x06 : 0x15);
  if (body.size() >= 3) {
    ex.status = body[0];
    ex.fields.assign(body.begin() + 2, body.end() - 1);
  }
  return ex;
}

Bytes Fields(PcPort& port, std::uint8_t code, const Bytes& payload) {
  const Exchange ex = Transact(port, code, payload);
  EXPECT_TRUE(ex.acked) << "command " << int{code} << ": answer byte " << int{ex.answer};
  EXPECT_TRUE(ex.got_reply) << "command " << int{code};
  EXPECT_TRUE(ex.checksum_ok) << "command " << int{code};
  return ex.fields;
}

void ExpectPluReply(const Bytes& reply, const PluSlot& slot) {
  ASSERT_EQ(reply.size(), 54u);
  EXPECT_EQ(static_cast<std::int32_t>(DwordAt(reply, 0)), slot.price);
  EXPECT_EQ(static_cast<std::int32_t>(DwordAt(reply, 4)), slot.code);
  EXPECT_EQ(reply[8], slot.department);
  EXPECT_EQ(reply[9], slot.tax_class);
  EXPECT_EQ(reply[10], slot.flags);
  EXPECT_EQ(TextAt(reply, 11, 30), slot.name);
  EXPECT_EQ(static_cast<std::int16_t>(WordAt(reply, 42)), slot.shelf_life);
  EXPECT_EQ(static_cast<std::int32_t>(DwordAt(reply, 44)), slot.quantity);
  EXPECT_EQ(static_cast<std::int32_t>(DwordAt(reply, 48)), slot.amount);
  EXPECT_EQ(static_cast<std::int16_t>(WordAt(reply, 52)), slot.transactions);
}

}  // namespace keldaro::sim::testing
