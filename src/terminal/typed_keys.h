// The keys a user types in a text terminal, taken back from the bytes the terminal sends: plain
// characters, and the escape sequences of the arrows, Insert, Delete and the function keys
// (xterm's and the Linux console's forms), as Windows virtual-key codes for the terminal window's
// keyboard map.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace keldaro::terminal {

struct TypedKey {
  enum class Kind { kKey, kInterrupt, kEndOfInput };  // a key, Ctrl-C, Ctrl-D
  Kind kind = Kind::kKey;
  int virtual_key = 0;  // for kKey; 0 for a key the map does not know
  bool operator==(const TypedKey&) const = default;
};

class TypedKeyDecoder {
 public:
  // The keys completed by `bytes`; an unfinished escape sequence waits for the next bytes.
  std::vector<TypedKey> Feed(std::string_view bytes);
  // Called when no byte followed for a moment: a lone Esc is the Esc key itself.
  std::vector<TypedKey> Pause();
  bool Pending() const { return !pending_.empty(); }

 private:
  // Decodes the escape sequence at the front of pending_ once it is complete: false while more
  // bytes are needed.
  bool TakeEscapeSequence(std::vector<TypedKey>& keys);

  std::string pending_;
};

}  // namespace keldaro::terminal
