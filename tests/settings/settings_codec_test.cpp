#include "settings/settings_codec.h"

#include <gtest/gtest.h>

#include "core/conversion_error.h"
#include "support/separators.h"

namespace keldaro::settings {
namespace {

using namespace Qt::StringLiterals;

std::string Bytes(std::initializer_list<int> values) {
  std::string bytes;
  for (int v : values) bytes.push_back(static_cast<char>(v));
  return bytes;
}

std::string Zeros(std::size_t n) { return std::string(n, '\0'); }

TEST(SettingsBlockTest, StartValuesGiveTheWorkedBlock) {
  const std::string expected = Bytes({0x00, 0x45}) + "a44W5U5" + Zeros(10) + "a44W5P5" + Zeros(10) +
                               Bytes({0x00, 0x00, 0x04, 0xB0, 0x00, 0x00, 0x14, 0x06, 0x0A, 0x03,
                                      0x80, 0x00, 0x00, 0x00, 0x0C});
  const std::string block = EncodeSettingsBlock(SettingsRecord{});
  ASSERT_EQ(block.size(), kBlockSize);
  EXPECT_EQ(block, expected);
}

TEST(SettingsBlockTest, ABlockReadBackSendsTheSameBytes) {
  SettingsRecord sent;
  sent.operating_mode = 3;
  sent.print_options = 0xA5;
  sent.extra_options = kAllReports | kTax;
  sent.product_barcode_format = u"Ç12"_s;
  sent.line_speed = -2;
  sent.lan_number = 99;
  sent.auto_off_minutes = 240;
  sent.discount_percent = 0;
  sent.drawer_time = 1;
  sent.printer_contrast = 255;
  sent.currency = u"TL"_s;
  SettingsRecord read;
  DecodeSettingsBlock(EncodeSettingsBlock(sent), read);
  EXPECT_EQ(read.print_options, 0xA5);
  EXPECT_EQ(EncodeSettingsBlock(read), EncodeSettingsBlock(sent));
}

TEST(SettingsBlockTest, ReceivedValuesAreTakenTheWayTheControlsTakeThem) {
  std::string block = EncodeSettingsBlock(SettingsRecord{});
  block[0] = 7;                        // no such operating mode
  block[41] = 0x01, block[42] = 0x90;  // auto power-off 400
  block[36] = 0, block[37] = 0, block[38] = 0, block[39] = 76;
  block[50] = static_cast<char>(0xF3);  // upper four bits are not options
  SettingsRecord r;
  DecodeSettingsBlock(block, r);
  EXPECT_EQ(r.operating_mode, kNoOperatingMode);
  EXPECT_EQ(r.auto_off_minutes, 240);
  EXPECT_EQ(r.line_speed, 76);
  EXPECT_EQ(r.extra_options, 0x03);
  EXPECT_EQ(static_cast<std::uint8_t>(EncodeSettingsBlock(r)[0]), 255);  // none goes out as 255

  block[41] = static_cast<char>(0xFF), block[42] = static_cast<char>(0xFF);  // -1 read as signed
  block[44] = 0;                                                             // below the drawer's 1
  DecodeSettingsBlock(block, r);
  EXPECT_EQ(r.auto_off_minutes, 0);
  EXPECT_EQ(r.drawer_time, 1);
}

TEST(SettingsBlockTest, TextFieldsAreCutOrFilledToTheirWidth) {
  SettingsRecord r;
  r.product_barcode_format = u"12345678901234567890"_s;
  r.amount_barcode_format = u"abc"_s;
  const std::string block = EncodeSettingsBlock(r);
  EXPECT_EQ(block.substr(2, 17), "1234567890123456" + Zeros(1));
  EXPECT_EQ(block.substr(19, 17), "abc" + Zeros(14));
  SettingsRecord read;
  DecodeSettingsBlock(block, read);
  EXPECT_EQ(read.product_barcode_format, u"1234567890123456"_s);
}

TEST(SettingsBlockTest, OnlyExactlyEurTravelsAsTheEuroSign) {
  SettingsRecord r;
  EXPECT_EQ(EncodeSettingsBlock(r).substr(46, 4), Bytes({0x80, 0, 0, 0}));
  r.currency = u"eur"_s;
  EXPECT_EQ(EncodeSettingsBlock(r).substr(46, 4), "eur" + Zeros(1));
  r.currency = u"YTL"_s;
  EXPECT_EQ(EncodeSettingsBlock(r).substr(46, 4), Bytes({0x59, 0x54, 0x4C, 0}));

  std::string block = EncodeSettingsBlock(SettingsRecord{});
  SettingsRecord read;
  DecodeSettingsBlock(block, read);
  EXPECT_EQ(read.currency, kEuroSign);  // shown as the sign until a send turns it into EUR
  EXPECT_EQ(EncodeSettingsBlock(read).substr(46, 4), Bytes({0x80, 0, 0, 0}));
}

TEST(SettingsBlockTest, FactoryPresetsGoOutAsTheFactoryBlock) {
  SettingsRecord r;
  r.operating_mode = 2;
  r.extra_options = kAllReports | kSavePlu;
  r.tax_rates[0] = 1800;
  ApplyFactoryPresets(r);
  const std::string block = EncodeSettingsBlock(r);
  EXPECT_EQ(static_cast<std::uint8_t>(block[1]), 0xDD);
  EXPECT_EQ(block.substr(41, 2), Bytes({0, 0}));  // auto power-off
  EXPECT_EQ(block[44], 50);                       // drawer time
  EXPECT_EQ(block.substr(46, 4), Bytes({0x59, 0x54, 0x4C, 0}));
  EXPECT_EQ(block[50], kTax | kSavePlu);  // all reports cleared, tax set, save plu kept
  EXPECT_EQ(r.operating_mode, 2);
  EXPECT_EQ(r.tax_rates[0], 1800);
  EXPECT_EQ(r.header.size(), 6);
  EXPECT_EQ(r.footer.size(), 2);
  EXPECT_EQ(r.departments[39], u"GROUP 39"_s);
}

TEST(TaxTableTest, RatesAreSignedBigEndianWords) {
  const std::array<std::int16_t, kTaxRates> rates = {1800, 875, -500, 0, 0, 0, 0, -32768};
  const std::string table = EncodeTaxTable(rates);
  EXPECT_EQ(table.substr(0, 6), Bytes({0x07, 0x08, 0x03, 0x6B, 0xFE, 0x0C}));
  EXPECT_EQ(DecodeTaxTable(table), rates);
}

class TaxRateTextTest : public ::testing::TestWithParam<QChar> {
 protected:
  QString Dec(const char* text) const {
    return QString::fromLatin1(text).replace(QLatin1Char('.'), GetParam());
  }
  std::int16_t Hundredths(const char* text) const {
    return TaxRateHundredths(Dec(text), GetParam());
  }
  bool Accepts(const char* text) const { return AcceptsTypedTaxRate(Dec(text), GetParam()); }
};
KELDARO_FOR_EACH_SEPARATOR(TaxRateTextTest);

TEST_P(TaxRateTextTest, PercentTextBecomesHundredthsWithHalvesToEven) {
  EXPECT_EQ(Hundredths("18"), 1800);
  EXPECT_EQ(Hundredths("7.5"), 750);
  EXPECT_EQ(Hundredths("0.125"), 12);
  EXPECT_EQ(Hundredths("0.375"), 38);
  EXPECT_EQ(Hundredths("-5"), static_cast<std::int16_t>(0xFE0C));
  EXPECT_EQ(Hundredths("1e30"), 0);  // low 16 bits, whatever the size
  EXPECT_THROW(Hundredths(""), ConversionError);
  EXPECT_THROW(Hundredths("-1e307"), ConversionError);  // its hundredths overflow
  EXPECT_EQ(TaxRateText(1800, GetParam()), Dec("18"));
  EXPECT_EQ(TaxRateText(875, GetParam()), Dec("8.75"));
  EXPECT_EQ(TaxRateText(-500, GetParam()), Dec("-5"));
}

TEST_P(TaxRateTextTest, TypingStopsAboveTheHighestRateOnly) {
  EXPECT_TRUE(Accepts("1"));
  EXPECT_TRUE(Accepts("10"));
  EXPECT_FALSE(Accepts("100"));
  EXPECT_TRUE(Accepts("99.99"));
  EXPECT_FALSE(Accepts("99.991"));
  EXPECT_TRUE(Accepts(""));
  EXPECT_TRUE(Accepts("-300"));
  EXPECT_FALSE(Accepts("1x"));
}

}  // namespace
}  // namespace keldaro::settings
