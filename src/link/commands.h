// Command codes of the scale protocol. The PC always asks, the scale always answers with one
// acknowledgement byte and one reply frame.
#pragma once

#include <cstdint>

namespace keldaro::cmd {

// Reads from the scale.
inline constexpr std::uint8_t kIdentify = 1;          // reply: identity, text 32
inline constexpr std::uint8_t kReadClock = 3;         // reply: yy mm dd hh mi ss
inline constexpr std::uint8_t kReadPlu = 4;           // req: PLU word, 0, 54; reply: 54-byte record
inline constexpr std::uint8_t kReadSettings = 5;      // reply: 51-byte settings block
inline constexpr std::uint8_t kReadClerk = 6;         // req: clerk index; reply: text 16
inline constexpr std::uint8_t kReadDepartment = 9;    // req: department index; reply: text 16
inline constexpr std::uint8_t kReadReceiptLine = 10;  // req: line 1..8; reply: text 32
inline constexpr std::uint8_t kReadTaxRates = 11;     // reply: 8 signed words

// Writes to the scale.
inline constexpr std::uint8_t kSetClock = 32;          // req: yy mm dd hh mi ss
inline constexpr std::uint8_t kWriteReceiptLine = 33;  // req: line byte, text 32
inline constexpr std::uint8_t kWriteSettings = 34;     // req: 51-byte settings block
inline constexpr std::uint8_t kWritePlu = 35;          // req: 48-byte record
inline constexpr std::uint8_t kWriteLogo = 36;         // req: block word, then count or 48 dots
inline constexpr std::uint8_t kWriteClerk = 37;        // req: clerk index, text 16
inline constexpr std::uint8_t kWriteDepartment = 38;   // req: department index, text 16
inline constexpr std::uint8_t kEndPluWrite = 39;       // sent once after the last PLU of a send
inline constexpr std::uint8_t kWriteTaxRates = 40;     // req: 8 signed words

// Terminal, metrology and reports.
inline constexpr std::uint8_t kKey = 64;               // req: key code byte
inline constexpr std::uint8_t kMetrology = 65;         // req: 24-byte metrology block
inline constexpr std::uint8_t kDisplayPoll = 66;       // reply: display lines and indicators
inline constexpr std::uint8_t kReadReportMemory = 67;  // req: offset word, count byte

}  // namespace keldaro::cmd
