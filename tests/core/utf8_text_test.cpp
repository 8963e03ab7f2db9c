#include "core/utf8_text.h"

#include <gtest/gtest.h>

namespace keldaro {
namespace {

TEST(DecodeUtf8ComposedTest, ComposesValidTextAndRefusesInvalidBytes) {
  struct Case {
    std::string_view bytes;
    std::optional<QString> text;
  };
  const Case cases[] = {
      {"G\xCC\x86ul", QStringLiteral(u"Ğul")},     // G + combining breve is one letter
      {"\xC4\xB0zmir", QStringLiteral(u"İzmir")},  // already composed
      {"\xDDzmir", std::nullopt},                  // a code page 1254 byte
      {"ab\xC4", std::nullopt},                    // a sequence cut short
  };
  for (const Case& c : cases) EXPECT_EQ(DecodeUtf8Composed(c.bytes), c.text) << c.bytes;
}

}  // namespace
}  // namespace keldaro
