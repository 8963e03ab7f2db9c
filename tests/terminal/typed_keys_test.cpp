// The keys typed in a text terminal, taken back from the bytes the terminal sends.
#include "terminal/typed_keys.h"

#include <gtest/gtest.h>

namespace keldaro::terminal {
namespace {

using Kind = TypedKey::Kind;
TypedKey Vk(int virtual_key) { return {Kind::kKey, virtual_key}; }

TEST(TypedKeys, CharactersAndEscapeSequencesBecomeVirtualKeys) {
  const struct {
    std::string bytes;
    std::vector<TypedKey> keys;
  } cases[] = {
      {"7a", {Vk(0x37), Vk(0x41)}},
      {"\r\n\x7f\x08", {Vk(0x0D), Vk(0x0D), Vk(0x08), Vk(0x08)}},
      {"\x1b[D\x1b[C\x1b[A", {Vk(0x25), Vk(0x27), Vk(0x26)}},
      {"\x1b[2~\x1b[3~", {Vk(0x2D), Vk(0x2E)}},
      {"\x1bOP\x1bOS\x1b[15~\x1b[19~", {Vk(0x70), Vk(0x73), Vk(0x74), Vk(0x77)}},  // F1 F4 F5 F8
      {"\x1b[23~\x1b[24~", {Vk(0x7A), Vk(0x7B)}},                                  // F11 F12
      {"\x1b[[C", {Vk(0x72)}},               // F3 on the Linux console
      {"\x1b[1;5C", {Vk(0x27)}},             // Ctrl-Right is still Right
      {"\x1b[20~", {Vk(0x78)}},              // F9: outside the map, so 0x00 later
      {"\x1b\x1b[D", {Vk(0x1B), Vk(0x25)}},  // Esc, then Left
      {"\xc5\x9f", {Vk(0)}},                 // one UTF-8 character, one key
      {"1\x03"
       "2\x04",
       {Vk(0x31), {Kind::kInterrupt}, Vk(0x32), {Kind::kEndOfInput}}},
  };
  for (const auto& c : cases) {
    TypedKeyDecoder decoder;
    EXPECT_EQ(decoder.Feed(c.bytes), c.keys) << ::testing::PrintToString(c.bytes);
    EXPECT_FALSE(decoder.Pending());
  }
}

TEST(TypedKeys, ASequenceSplitAcrossReadsWaitsAndALoneEscIsEscAfterAPause) {
  TypedKeyDecoder decoder;
  EXPECT_TRUE(decoder.Feed("\x1b[2").empty());
  EXPECT_EQ(decoder.Feed("4~"), std::vector<TypedKey>{Vk(0x7B)});
  EXPECT_TRUE(decoder.Feed("\x1b").empty());
  EXPECT_TRUE(decoder.Pending());
  EXPECT_EQ(decoder.Pause(), std::vector<TypedKey>{Vk(0x1B)});
  EXPECT_TRUE(decoder.Feed("\x1b[").empty());  // cut short: Esc, then '[' as a plain key
  EXPECT_EQ(decoder.Pause(), (std::vector<TypedKey>{Vk(0x1B), Vk(0)}));
  EXPECT_TRUE(decoder.Pause().empty());
}

}  // namespace
}  // namespace keldaro::terminal
