// Command codes of the scale protocol and the size of each command's reply. The PC always asks,
// the scale always answers with one acknowledgement byte and one reply frame. Reply sizes count
// the reply fields after the two header bytes; each is said here once, in kReplySizes.
#pragma once

#include <cstdint>

#include "link/reply_size.h"

namespace keldaro::cmd {

// Reads from the scale.
inline constexpr std::uint8_t kIdentify = 1;          // reply: identity, text 32
inline constexpr std::uint8_t kReadClock = 3;         // reply: yy mm dd hh mi ss
inline constexpr std::uint8_t kReadPlu = 4;           // req: PLU word, 0, 54; reply: the record
inline constexpr std::uint8_t kReadSettings = 5;      // reply: the settings block
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

struct ReplySizeEntry {
  std::uint8_t code;
  ReplySize size;
};

// The reply fields of every read command. Codes not listed (the writes, the key, the metrology
// send) need the two header bytes and take more without complaint.
inline constexpr ReplySizeEntry kReplySizes[] = {
    {kIdentify, ReplySize::Fields(33)},            // text 32
    {kReadClock, ReplySize::Fields(6)},            // six bytes
    {kReadPlu, ReplySize::Fields(54)},             // the PLU record as read
    {kReadSettings, ReplySize::Fields(51)},        // the settings block
    {kReadClerk, ReplySize::Fields(17)},           // text 16
    {kReadDepartment, ReplySize::Fields(17)},      // text 16
    {kReadReceiptLine, ReplySize::Fields(33)},     // text 32
    {kReadTaxRates, ReplySize::Fields(16)},        // eight words
    {kDisplayPoll, ReplySize::Fields(29)},         // display lines and indicators
    {kReadReportMemory, ReplySize::CountAsked()},  // the count byte of the request
};

constexpr ReplySize ReplySizeOf(std::uint8_t code) {
  for (const ReplySizeEntry& entry : kReplySizes) {
    if (entry.code == code) return entry.size;
  }
  return ReplySize::HeaderOnly();
}

}  // namespace keldaro::cmd
