// What a reply body must hold to be taken: every read command's reply has a known size, write
// commands need at least the two header bytes, and a diagnostic request (the CLI's raw verb)
// takes whatever comes. A reply of any other size is refused like a bad checksum.
#pragma once

#include <cstddef>

namespace keldaro {

inline constexpr std::size_t kReplyHeaderBytes = 2;  // status, then a byte nothing interprets

class ReplySize {
 public:
  enum class Kind {
    kExactly,     // the header and exactly `fields` bytes of reply fields
    kHeader,      // at least the header (write commands)
    kAny,         // any size, even none (diagnostics)
    kCountAsked,  // the count the request asks for (report memory): resolved at Execute
  };

  // Exactly `fields` bytes after the two header bytes.
  static constexpr ReplySize Fields(std::size_t fields) { return {Kind::kExactly, fields}; }
  static constexpr ReplySize HeaderOnly() { return {Kind::kHeader, 0}; }
  static constexpr ReplySize Any() { return {Kind::kAny, 0}; }
  static constexpr ReplySize CountAsked() { return {Kind::kCountAsked, 0}; }

  constexpr Kind kind() const { return kind_; }

  // `body` counts the reply's bytes from the status byte up to the byte before the checksum.
  constexpr bool Accepts(std::size_t body) const {
    switch (kind_) {
      case Kind::kExactly:
        return body == kReplyHeaderBytes + fields_;
      case Kind::kHeader:
        return body >= kReplyHeaderBytes;
      case Kind::kAny:
        return true;
      case Kind::kCountAsked:
        return false;  // unresolved: the caller must say the count
    }
    return false;
  }

  constexpr bool operator==(const ReplySize&) const = default;

 private:
  constexpr ReplySize(Kind kind, std::size_t fields) : kind_(kind), fields_(fields) {}
  Kind kind_;
  std::size_t fields_;
};

}  // namespace keldaro
