#include "terminal/typed_keys.h"

#include <cctype>
#include <cstdlib>
#include <optional>

namespace keldaro::terminal {
namespace {

constexpr char kEsc = '\x1b';
constexpr int kVkBackspace = 0x08, kVkReturn = 0x0D, kVkEscape = 0x1B, kVkLeft = 0x25, kVkUp = 0x26,
              kVkRight = 0x27, kVkDown = 0x28, kVkInsert = 0x2D, kVkDelete = 0x2E, kVkF1 = 0x70;

TypedKey Key(int virtual_key) { return {TypedKey::Kind::kKey, virtual_key}; }

// A plain byte; nullopt for the continuation bytes of a UTF-8 character (the character is one
// key, counted at its first byte).
std::optional<TypedKey> PlainKey(unsigned char c) {
  if (c == 0x03) return TypedKey{TypedKey::Kind::kInterrupt};
  if (c == 0x04) return TypedKey{TypedKey::Kind::kEndOfInput};
  if (c == '\r' || c == '\n') return Key(kVkReturn);
  if (c == 0x7F || c == 0x08) return Key(kVkBackspace);
  if (std::isdigit(c)) return Key(c);
  if (std::isalpha(c)) return Key(std::toupper(c));
  if (c >= 0x80 && c <= 0xBF) return std::nullopt;
  return Key(0);
}

// The key of a cursor or SS3 final letter: arrows, and F1 to F4 as xterm sends them.
int KeyOfFinalLetter(char c) {
  switch (c) {
    case 'A':
      return kVkUp;
    case 'B':
      return kVkDown;
    case 'C':
      return kVkRight;
    case 'D':
      return kVkLeft;
    case 'P':
    case 'Q':
    case 'R':
    case 'S':
      return kVkF1 + (c - 'P');
    case 'M':
      return kVkReturn;  // the keypad's Enter in application mode
    default:
      return 0;
  }
}

// The key of "ESC [ n ~" (Insert, Delete, F1 to F12).
int KeyOfTildeNumber(int n) {
  if (n == 2) return kVkInsert;
  if (n == 3) return kVkDelete;
  if (n >= 11 && n <= 15) return kVkF1 + (n - 11);       // F1..F5
  if (n >= 17 && n <= 21) return kVkF1 + 5 + (n - 17);   // F6..F10
  if (n == 23 || n == 24) return kVkF1 + 10 + (n - 23);  // F11, F12
  return 0;
}

}  // namespace

std::vector<TypedKey> TypedKeyDecoder::Feed(std::string_view bytes) {
  pending_.append(bytes);
  std::vector<TypedKey> keys;
  while (!pending_.empty()) {
    if (pending_.front() == kEsc) {
      if (!TakeEscapeSequence(keys)) break;
      continue;
    }
    if (const auto key = PlainKey(static_cast<unsigned char>(pending_.front()))) {
      keys.push_back(*key);
    }
    pending_.erase(0, 1);
  }
  return keys;
}

std::vector<TypedKey> TypedKeyDecoder::Pause() {
  if (pending_.empty()) return {};
  // What waits is an Esc, maybe with the start of a sequence that never finished: the Esc key,
  // then whatever followed it as plain keys.
  std::string rest = pending_.substr(1);
  pending_.clear();
  std::vector<TypedKey> keys{Key(kVkEscape)};
  for (TypedKey key : Feed(rest)) keys.push_back(key);
  return keys;
}

bool TypedKeyDecoder::TakeEscapeSequence(std::vector<TypedKey>& keys) {
  if (pending_.size() < 2) return false;
  const char introducer = pending_[1];
  if (introducer != '[' && introducer != 'O') {
    // Esc followed by an ordinary key (or a second Esc): the Esc key on its own.
    keys.push_back(Key(kVkEscape));
    pending_.erase(0, 1);
    return true;
  }
  if (introducer == 'O') {  // SS3: one letter follows
    if (pending_.size() < 3) return false;
    keys.push_back(Key(KeyOfFinalLetter(pending_[2])));
    pending_.erase(0, 3);
    return true;
  }
  // CSI: parameters, then a final byte from '@' to '~'. The Linux console sends F1 to F5 as
  // "ESC [ [ A" to "ESC [ [ E".
  if (pending_.size() >= 3 && pending_[2] == '[') {
    if (pending_.size() < 4) return false;
    const char c = pending_[3];
    keys.push_back(Key(c >= 'A' && c <= 'E' ? kVkF1 + (c - 'A') : 0));
    pending_.erase(0, 4);
    return true;
  }
  std::size_t end = 2;
  while (end < pending_.size() && (pending_[end] < '@' || pending_[end] > '~')) ++end;
  if (end == pending_.size()) return false;
  const char final_byte = pending_[end];
  // Only the first parameter names the key; a second one ("1;5C") is a modifier.
  const int first = std::atoi(pending_.c_str() + 2);
  keys.push_back(Key(final_byte == '~' ? KeyOfTildeNumber(first) : KeyOfFinalLetter(final_byte)));
  pending_.erase(0, end + 1);
  return true;
}

}  // namespace keldaro::terminal
