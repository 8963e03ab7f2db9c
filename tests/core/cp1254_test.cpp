#include "core/cp1254.h"

#include <gtest/gtest.h>

namespace keldaro {

using namespace Qt::StringLiterals;
namespace {

TEST(Cp1254Test, TurkishLettersAndTheEuroSignHaveTheirBytes) {
  EXPECT_EQ(ToCp1254(u"ĞİŞğış€"), "\xD0\xDD\xDE\xF0\xFD\xFE\x80");
  EXPECT_EQ(ToCp1254(u"Çöü é"), "\xC7\xF6\xFC \xE9");  // shared with Latin-1
  EXPECT_EQ(FromCp1254("A\xD0'SIZ"), u"AĞ'SIZ"_s);
  EXPECT_EQ(FromCp1254("\x80\x8A\x9F\x99"), u"€ŠŸ™"_s);
}

TEST(Cp1254Test, EveryByteSurvivesTheRoundTrip) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  const QString text = FromCp1254(all);
  ASSERT_EQ(text.size(), 256);
  EXPECT_EQ(ToCp1254(text), all);
}

TEST(Cp1254Test, CharactersTheCodePageLacksBecomeQuestionMarks) {
  // Latin-1 letters that the Turkish page replaced, a C1 control it reassigned, Cyrillic,
  // and one character outside the Basic Multilingual Plane (two UTF-16 units, one '?').
  EXPECT_EQ(ToCp1254(u"\u00D0\u00DD\u00FE\u0080Ж😀x"),
            "???"
            "???"
            "x");
  EXPECT_EQ(ToCp1254(QString(QChar(0xD800))), "?");  // a lone surrogate
}

}  // namespace
}  // namespace keldaro
