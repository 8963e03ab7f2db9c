#include "core/numbers.h"

#include <gtest/gtest.h>

#include "core/conversion_error.h"
#include "support/separators.h"

namespace keldaro {

using namespace Qt::StringLiterals;
namespace {

// Every decimal test runs with the point and with the comma as the user's separator.
class WithSeparator : public ::testing::TestWithParam<QChar> {
 protected:
  QChar sep() const { return GetParam(); }
  // "12.5" written with the separator under test.
  QString Dec(const char* c_form) const {
    return QString::fromLatin1(c_form).replace(QLatin1Char('.'), sep());
  }
  QChar other() const { return sep() == QLatin1Char('.') ? QLatin1Char(',') : QLatin1Char('.'); }
};
KELDARO_FOR_EACH_SEPARATOR(WithSeparator);

TEST(ParseIntTest, AcceptsSignsBlanksAndTheWhole32BitRange) {
  std::int32_t v = 0;
  ASSERT_TRUE(ParseInt(u"  -17 ", v));
  EXPECT_EQ(v, -17);
  ASSERT_TRUE(ParseInt(u"+8", v));
  EXPECT_EQ(v, 8);
  ASSERT_TRUE(ParseInt(u"2147483647", v));
  EXPECT_EQ(v, 2147483647);
  ASSERT_TRUE(ParseInt(u"-2147483648", v));
  EXPECT_EQ(v, -2147483647 - 1);
}

TEST(ParseIntTest, FailureLeavesTheValueUnchanged) {
  for (const char16_t* bad : {u"12a", u"", u"-", u"+", u" ", u"1 2", u"12.5", u"2147483648",
                              u"-2147483649", u"99999999999999999999", u"\u0661"}) {
    std::int32_t v = 42;
    EXPECT_FALSE(ParseInt(bad, v)) << QString::fromUtf16(bad).toStdString();
    EXPECT_EQ(v, 42);
  }
}

TEST_P(WithSeparator, ParseFloatReadsTheUsersSeparator) {
  double v = 0;
  ASSERT_TRUE(ParseFloat(Dec("3.5"), v, sep()));
  EXPECT_DOUBLE_EQ(v, 3.5);
  ASSERT_TRUE(ParseFloat(Dec("12."), v, sep()));  // a price being typed
  EXPECT_DOUBLE_EQ(v, 12.0);
  ASSERT_TRUE(ParseFloat(Dec(".5"), v, sep()));
  EXPECT_DOUBLE_EQ(v, 0.5);
  ASSERT_TRUE(ParseFloat(Dec(" -9999.99 "), v, sep()));
  EXPECT_DOUBLE_EQ(v, -9999.99);
  ASSERT_TRUE(ParseFloat(Dec("1.5e3"), v, sep()));
  EXPECT_DOUBLE_EQ(v, 1500.0);
  ASSERT_TRUE(ParseFloat(u"25E-2", v, sep()));
  EXPECT_DOUBLE_EQ(v, 0.25);
}

TEST_P(WithSeparator, ParseFloatRejectsNonNumbersAndTheOtherSeparator) {
  const QString bad[] = {u""_s,        u"-"_s,     Dec("."),   Dec("-."),
                         Dec("1.2.3"), u"1e"_s,    u"1e+"_s,   u"abc"_s,
                         u"inf"_s,     u"nan"_s,   u"1e999"_s, u"3"_s + other() + u"5"_s,
                         u"0x10"_s,    Dec("1. 5")};
  for (const QString& text : bad) {
    double v = 7.0;
    EXPECT_FALSE(ParseFloat(text, v, sep())) << text.toStdString();
    EXPECT_EQ(v, 7.0);
  }
}

TEST_P(WithSeparator, ThrowingConversionsCarryTheStandardMessages) {
  EXPECT_EQ(StrToInt(u" 40"_s), 40);
  EXPECT_DOUBLE_EQ(StrToFloat(Dec("0.53"), sep()), 0.53);
  try {
    StrToInt(u"12,5"_s);
    FAIL() << "no exception";
  } catch (const ConversionError& e) {
    EXPECT_EQ(e.message(), u"'12,5' is not a valid integer value"_s);
    EXPECT_STREQ(e.what(), "'12,5' is not a valid integer value");
  }
  try {
    StrToFloat(u"DOMATES"_s, sep());
    FAIL() << "no exception";
  } catch (const ConversionError& e) {
    EXPECT_EQ(e.message(), u"'DOMATES' is not a valid floating point value"_s);
  }
}

TEST_P(WithSeparator, ScalableFloatsRefuseWhatOverflowsOnceScaled) {
  // 100 scales a tax rate to hundredths, 1000 a maximum tare to grams.
  EXPECT_THROW(StrToScalableFloat(Dec("-1e307"), sep(), 100), ConversionError);
  EXPECT_THROW(StrToScalableFloat(Dec("1e306"), sep(), 1000), ConversionError);
  EXPECT_EQ(StrToScalableFloat(Dec("1.7e306"), sep(), 100), 1.7e306);
  EXPECT_EQ(StrToScalableFloat(Dec("-1.7e305"), sep(), 1000), -1.7e305);
}

TEST_P(WithSeparator, HundredthsAreExactAndTruncatedTowardZero) {
  EXPECT_EQ(HundredthsOf(Dec("0.53"), sep()), 53);  // 0.53 * 100 is 52.999... in binary
  EXPECT_EQ(HundredthsOf(Dec("12.5"), sep()), 1250);
  EXPECT_EQ(HundredthsOf(Dec("1.239"), sep()), 123);
  EXPECT_EQ(HundredthsOf(u"-5"_s, sep()), -500);
  EXPECT_EQ(HundredthsOf(Dec("-1.239"), sep()), -123);
  EXPECT_EQ(HundredthsOf(Dec("-0.009"), sep()), 0);
  EXPECT_EQ(HundredthsOf(Dec("12."), sep()), 1200);
  EXPECT_EQ(HundredthsOf(Dec("9999.99"), sep()), 999999);
  EXPECT_EQ(HundredthsOf(Dec("0.0001e4"), sep()), 100);
  EXPECT_EQ(HundredthsOf(Dec("1.5e-1"), sep()), 15);
  EXPECT_EQ(HundredthsOf(u"21474836.47"_s.replace(u'.', sep()), sep()), 2147483647);
  EXPECT_THROW(HundredthsOf(u""_s, sep()), ConversionError);
  EXPECT_THROW(HundredthsOf(u"1"_s + other() + u"5"_s, sep()), ConversionError);
  EXPECT_THROW(HundredthsOf(u"1e30"_s, sep()), ConversionError);  // beyond 64 bits
}

TEST_P(WithSeparator, FormatFixedWritesTheSeparatorAndTheSign) {
  EXPECT_EQ(FormatFixed(-1 / 100.0, 2, sep()), Dec("-0.01"));
  EXPECT_EQ(FormatFixed(1250 / 1000.0, 3, sep()), Dec("1.250"));
  EXPECT_EQ(FormatFixed(53 / 100.0, 2, sep()), Dec("0.53"));
  EXPECT_EQ(FormatFixed(0, 3, sep()), Dec("0.000"));
  EXPECT_EQ(FormatFixed(2147483647 / 100.0, 2, sep()), Dec("21474836.47"));
  EXPECT_EQ(FormatFixed(1234567.0, 2, sep()), Dec("1234567.00"));  // never grouped
}

TEST_P(WithSeparator, FormatHundredthsShortDropsTrailingZeros) {
  EXPECT_EQ(FormatHundredthsShort(1800, sep()), u"18"_s);
  EXPECT_EQ(FormatHundredthsShort(875, sep()), Dec("8.75"));
  EXPECT_EQ(FormatHundredthsShort(850, sep()), Dec("8.5"));
  EXPECT_EQ(FormatHundredthsShort(5, sep()), Dec("0.05"));
  EXPECT_EQ(FormatHundredthsShort(-500, sep()), u"-5"_s);
  EXPECT_EQ(FormatHundredthsShort(-1, sep()), Dec("-0.01"));
  EXPECT_EQ(FormatHundredthsShort(0, sep()), u"0"_s);
}

}  // namespace
}  // namespace keldaro
