#include "link/link_failure.h"

#include <array>

#include "link/packet.h"

namespace keldaro {

namespace {

// The small counts a text spells out; larger ones are written in digits.
std::string CountInWords(int count) {
  static constexpr std::array<const char*, 11> kWords = {
      "no", "one", "two", "three", "four", "five", "six", "seven", "eight", "nine", "ten"};
  return count >= 0 && count < static_cast<int>(kWords.size()) ? kWords[count]
                                                               : std::to_string(count);
}

}  // namespace

std::string SendsInWords() { return CountInWords(Packet::kMaxSends); }

std::string LinkFailureText(LinkFailure failure) {
  switch (failure) {
    case LinkFailure::kNone:
      return "";
    case LinkFailure::kRefused:
      return "the scale refused the request " + SendsInWords() + " times (NAK)";
    case LinkFailure::kNoAnswer:
      return "the scale did not answer: check that it is on, the cable, the port and the line "
             "speed";
    case LinkFailure::kBrokenReplies:
      return "the scale's replies kept arriving broken: check the cable and the line speed";
    case LinkFailure::kPortGone:
      return "the serial port went away (the adapter was unplugged, the line hung up or the "
             "network connection dropped)";
    case LinkFailure::kNotOpen:
      return "the serial port is not open";
    case LinkFailure::kRequestTooLarge:
      return "the request is too large for one frame; nothing was sent";
    case LinkFailure::kBusy:
      return "another command is still in hand";
    case LinkFailure::kStopped:
      return "stopped while waiting for the scale";
  }
  return "";
}

std::string UnexplainedFailureText() {
  return "the scale did not answer after " + SendsInWords() +
         " tries: check the cable, the port and the line speed, and that the scale is switched on";
}

}  // namespace keldaro
