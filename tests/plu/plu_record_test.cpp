#include "plu/plu_record.h"

#include <gtest/gtest.h>

#include "core/conversion_error.h"
#include "link/commands.h"
#include "link/packet.h"
#include "plu/plu_test_support.h"
#include "support/separators.h"

namespace keldaro::plu {

using namespace Qt::StringLiterals;
namespace {

using testing::FillRow;
using testing::FramePayload;

class WriteRecordTest : public ::testing::TestWithParam<QChar> {
 protected:
  QChar sep() const { return GetParam(); }
  QString Dec(const char* c_form) const {
    return QString::fromLatin1(c_form).replace(QLatin1Char('.'), sep());
  }
  // The 48 payload bytes of the write request for row 1.
  std::vector<std::uint8_t> Encode() {
    const std::string request = EncodePluWrite(sheet_, 1, sep());
    return {request.begin(), request.end()};
  }
  // The message of the conversion error that row 1 raises, or "" when it converts.
  std::string ErrorOf() {
    Packet packet;
    packet.Clear();
    try {
      packet.PushBytes(EncodePluWrite(sheet_, 1, sep()));
    } catch (const ConversionError& e) {
      EXPECT_EQ(packet.Length(), 0) << "part of a refused row was pushed";
      return e.message().toStdString();
    }
    return "";
  }
  PluSheet sheet_;
};
KELDARO_FOR_EACH_SEPARATOR(WriteRecordTest);

TEST_P(WriteRecordTest, LaysOutThe48ByteRequest) {
  FillRow(sheet_, 1,
          {"1800", Dec("0.53"), "-2", "40", "8", "1", "0", "1", u"ŞİŞ KEBAP"_s, "999", "x", "y"});
  const std::vector<std::uint8_t> p = Encode();
  ASSERT_EQ(p.size(), std::size_t(kWriteRecordSize));
  EXPECT_EQ(std::vector<std::uint8_t>(p.begin(), p.begin() + 14),
            (std::vector<std::uint8_t>{0x07, 0x08, 0,           // No 1800, 0
                                       0, 0, 0, 53,             // price 0.53
                                       0xFF, 0xFF, 0xFF, 0xFE,  // code -2
                                       40, 8, 0x05}));          // dept, tax, flags
  EXPECT_EQ(std::string(p.begin() + 14, p.begin() + 23), "\xDE\xDD\xDE KEBAP");
  for (int i = 23; i < 45; ++i) EXPECT_EQ(p[i], 0) << i;  // zero-filled name, closing zero
  EXPECT_EQ(p[45], 0x03);                                 // shelf life 999
  EXPECT_EQ(p[46], 0xE7);
  EXPECT_EQ(p[47], 0);
}

TEST_P(WriteRecordTest, PricesAreTruncatedHundredthsAndNamesAreCutTo30) {
  const QString name32 = u"ABCDEFGHIJKLMNOPQRSTUVWXYZ012345"_s;
  FillRow(sheet_, 1, {"0", "-5", "0", "0", "0", "0", "1", "0", name32, "-1"});
  std::vector<std::uint8_t> p = Encode();
  ASSERT_EQ(p.size(), std::size_t(kWriteRecordSize));
  EXPECT_EQ(std::vector<std::uint8_t>(p.begin() + 3, p.begin() + 7),
            (std::vector<std::uint8_t>{0xFF, 0xFF, 0xFE, 0x0C}));  // -500
  EXPECT_EQ(p[13], 0x02);                                          // "Sbt" alone
  EXPECT_EQ(std::string(p.begin() + 14, p.begin() + 44), name32.left(30).toStdString());
  EXPECT_EQ(p[44], 0);
  EXPECT_EQ(p[45], 0xFF);
  EXPECT_EQ(p[46], 0xFF);

  sheet_.SetCell(1, kPrice, Dec("1.239"));
  p = Encode();
  EXPECT_EQ(p[6], 123);
}

TEST_P(WriteRecordTest, ACellThatDoesNotConvertNamesItsText) {
  FillRow(sheet_, 1, {"5", Dec("1.00"), "12.5", "1", "1", "0", "0", "0", "A", "3"});
  EXPECT_EQ(ErrorOf(), "'12.5' is not a valid integer value");
  sheet_.SetCell(1, kCode, "7");
  sheet_.SetCell(1, kShelfLife, "");
  EXPECT_EQ(ErrorOf(), "'' is not a valid integer value");
  sheet_.SetCell(1, kShelfLife, "3");
  sheet_.SetCell(1, kPrice, "on");
  EXPECT_EQ(ErrorOf(), "'on' is not a valid floating point value");
  sheet_.SetCell(1, kPrice, Dec("1.00"));
  sheet_.SetCell(1, kNo, Dec("5.5"));  // the first failing field in record order is reported
  sheet_.SetCell(1, kBarFlag, "x");
  EXPECT_EQ(ErrorOf(), Dec("'5.5' is not a valid integer value").toStdString());
}

TEST_P(WriteRecordTest, APluNumberOutsideTheTableIsRefusedNotWrapped) {
  FillRow(sheet_, 1, {"65537", Dec("1.00"), "1", "1", "1", "0", "0", "0", "A", "3"});
  EXPECT_EQ(ErrorOf(), "'65537' is not a value from 0 to 1800");  // would have been PLU 1
  sheet_.SetCell(1, kNo, "1801");
  EXPECT_EQ(ErrorOf(), "'1801' is not a value from 0 to 1800");
  sheet_.SetCell(1, kNo, "-1");
  EXPECT_EQ(ErrorOf(), "'-1' is not a value from 0 to 1800");
  sheet_.SetCell(1, kNo, "1800");
  EXPECT_EQ(ErrorOf(), "");
}

TEST_P(WriteRecordTest, APriceBeyond32BitsIsRefusedNotWrapped) {
  FillRow(sheet_, 1, {"1", Dec("21474836.48"), "1", "1", "1", "0", "0", "0", "A", "3"});
  EXPECT_NE(ErrorOf().find("is not a value from"), std::string::npos);
  sheet_.SetCell(1, kPrice, Dec("21474836.47"));
  EXPECT_EQ(ErrorOf(), "");
}

TEST(ReadRequestTest, AsksForThe54ByteRecord) {
  Packet packet;
  packet.Clear();
  packet.PushBytes(EncodePluRead(1800));
  EXPECT_EQ(FramePayload(packet.BuildFrame(cmd::kReadPlu)),
            (std::vector<std::uint8_t>{0x07, 0x08, 0, 54}));
}

TEST(ReadReplyTest, BytesMissingFromAShortRecordReadAsZeros) {
  PluSheet sheet;
  const std::string price_and_code("\xFF\xFF\xFE\x0C\x00\x00\x00\x07", 8);
  EXPECT_EQ(DecodePluPrice(price_and_code.substr(0, 2)), -65536);  // 0xFFFF0000
  DecodePluRecord(price_and_code, 9, sheet, 1, u'.');
  EXPECT_EQ(testing::RowCells(sheet, 1), (QStringList{"9", "-5.00", "7", "0", "0", "0", "0", "0",
                                                      "", "0", "0.000", "0.00", "0"}));
}

class TypedTextTest : public ::testing::TestWithParam<QChar> {
 protected:
  bool Accepts(int column, const char* c_form) const {
    return AcceptsTypedText(column, QString::fromUtf8(c_form).replace(QLatin1Char('.'), GetParam()),
                            GetParam());
  }
};
KELDARO_FOR_EACH_SEPARATOR(TypedTextTest);

TEST_P(TypedTextTest, PriceHasAnUpperBoundOnly) {
  EXPECT_TRUE(Accepts(kPrice, "9999.99"));
  EXPECT_FALSE(Accepts(kPrice, "9999.991"));
  EXPECT_FALSE(Accepts(kPrice, "10000"));
  EXPECT_TRUE(Accepts(kPrice, "-5"));
  EXPECT_TRUE(Accepts(kPrice, "12."));  // a separator just typed
  EXPECT_FALSE(Accepts(kPrice, "-"));
  EXPECT_TRUE(Accepts(kPrice, ""));
  const QChar other = GetParam() == u'.' ? u',' : u'.';
  EXPECT_FALSE(AcceptsTypedText(kPrice, u"1"_s + other + u"5"_s, GetParam()));
}

TEST_P(TypedTextTest, WholeNumberColumnsAndFractionColumns) {
  EXPECT_TRUE(Accepts(kCode, "12.5"));
  EXPECT_TRUE(Accepts(kShelfLife, "12.5"));
  EXPECT_FALSE(Accepts(kDepartment, "12.5"));
  EXPECT_TRUE(Accepts(kDepartment, "40"));
  EXPECT_FALSE(Accepts(kDepartment, "41"));
  EXPECT_TRUE(Accepts(kTaxClass, "-5"));
  EXPECT_FALSE(Accepts(kTaxClass, "9"));
  EXPECT_FALSE(Accepts(kCode, "1000000"));
  EXPECT_FALSE(Accepts(kShelfLife, "999.5"));
  for (int flag : {kWeightless, kFixedFlag, kBarFlag}) {
    EXPECT_TRUE(Accepts(flag, "1"));
    EXPECT_FALSE(Accepts(flag, "2"));
    EXPECT_FALSE(Accepts(flag, "a"));
  }
  EXPECT_TRUE(Accepts(kNo, "anything"));
}

TEST_P(TypedTextTest, NamesUpTo30AndNeverTheSalesTotals) {
  EXPECT_TRUE(AcceptsTypedText(kName, QString(30, u'Ş'), GetParam()));
  EXPECT_FALSE(AcceptsTypedText(kName, QString(31, u'a'), GetParam()));
  for (int column : {kQuantity, kAmount, kTransactions}) {
    EXPECT_FALSE(Accepts(column, ""));
    EXPECT_FALSE(Accepts(column, "1"));
  }
}

}  // namespace
}  // namespace keldaro::plu
