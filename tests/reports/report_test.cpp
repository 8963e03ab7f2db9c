#include <gtest/gtest.h>

#include "reports/report_codec.h"
#include "reports/report_listing.h"
#include "support/separators.h"

namespace keldaro::reports {
namespace {

using namespace Qt::StringLiterals;

void PutAmount(std::string& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>(v >> (24 - 8 * i));
}
void PutCount(std::string& b, std::size_t at, std::uint16_t v) {
  b[at] = static_cast<char>(v >> 8);
  b[at + 1] = static_cast<char>(v);
}

TEST(ReportCodecTest, ClerkFieldsAreTakenFromTheirPackedOffsets) {
  std::string block(kClerkSize, '\0');
  PutAmount(block, 0, 100);
  PutCount(block, 4, 2);
  PutAmount(block, 6, 300);  // not aligned
  PutCount(block, 10, 4);
  PutCount(block, 12, 5);
  PutAmount(block, 14, 600);  // not aligned
  PutAmount(block, 18, 700);  // not aligned
  PutCount(block, 22, 8);
  PutAmount(block, 24, 0xFFFFFF9C);  // -100
  const ClerkTotals c = DecodeClerk(block);
  EXPECT_EQ(c.sales, 100);
  EXPECT_EQ(c.transactions, 2);
  EXPECT_EQ(c.void_amount, 300);
  EXPECT_EQ(c.void_count, 4);
  EXPECT_EQ(c.customers, 5);
  EXPECT_EQ(c.cash, 600);
  EXPECT_EQ(c.credit, 700);
  EXPECT_EQ(c.discount_count, 8);
  EXPECT_EQ(c.discount_amount, -100);
}

class ListingTest : public ::testing::TestWithParam<QChar> {
 protected:
  QString Dec(const char* text) const { return QString::fromLatin1(text).replace('.', GetParam()); }
};
KELDARO_FOR_EACH_SEPARATOR(ListingTest);

TEST_P(ListingTest, TotalsListTaxesAndHoursThatHaveThem) {
  std::string block(kTotalsSize, '\0');
  PutAmount(block, 0, 1287);
  PutAmount(block, 4, 0xFFFFFF85);    // -1.23
  PutAmount(block, 8, 1800);          // tax rate 1
  PutCount(block, 140, 0xFFFF);       // hour 0: many sales, no amount
  PutAmount(block, 44 + 4 * 5, 999);  // hour 5: an amount but no count
  PutCount(block, 140 + 2 * 13, 3);
  PutAmount(block, 44 + 4 * 13, 4500);
  const QStringList lines = TotalsLines(DecodeTotals(block), u"7.12.2026 14:05:09"_s, GetParam());
  const QStringList expected = {u"----------------------- Raporlar 7.12.2026 14:05:09"_s,
                                QString(),
                                u"DOC NO\t\t\t1287"_s,
                                u"Tutar\t\t\t"_s + Dec("-1.23"),
                                u"----------------------- VERGİ'lendirilmiş tutar"_s,
                                u"VRG 1\t\t\t"_s + Dec("18.00"),
                                QString(),
                                u"----------------------- Saat'lik tutar"_s,
                                u" 0h\t\t65535\t"_s + Dec("0.00"),
                                u"13h\t\t3\t"_s + Dec("45.00"),
                                QString()};
  EXPECT_EQ(lines, expected);
}

TEST_P(ListingTest, NoTaxedAmountsLeaveOnlyTheHeadingAndAnAllZeroClerkIsListedInFull) {
  const QStringList lines = TotalsLines(Totals{}, u"now"_s, GetParam());
  const qsizetype taxes = lines.indexOf(u"----------------------- VERGİ'lendirilmiş tutar"_s);
  ASSERT_GE(taxes, 0);
  EXPECT_EQ(lines[taxes + 1], QString());
  EXPECT_EQ(lines[taxes + 2], u"----------------------- Saat'lik tutar"_s);

  const QStringList clerk = ClerkLines(3, ClerkTotals{}, GetParam());
  const QStringList expected = {u"----------------------- Tezgahtar 3"_s,
                                u"Müşteriler\t\t\t0"_s,
                                u"İşlemler\t\t\t0"_s,
                                u"Tutar\t\t\t"_s + Dec("0.00"),
                                u"Geçersiz sayısı\t\t0"_s,
                                u"Geçersiz tutarı\t\t"_s + Dec("0.00"),
                                u"İskonto sayısı\t\t0"_s,
                                u"İskonto tutarı\t\t"_s + Dec("0.00"),
                                u"Nakit \t\t\t"_s + Dec("0.00"),
                                u"Kredi \t\t\t"_s + Dec("0.00"),
                                QString()};
  EXPECT_EQ(clerk, expected);
}

TEST(ListingFileTest, EveryLineEndsWithCrLfInTheCodePage) {
  EXPECT_EQ(ListingFile({u"Müşteriler"_s, QString()}), "M\xFC\xFEteriler\r\n\r\n");
  EXPECT_EQ(ListingFile({}), "");
}

}  // namespace
}  // namespace keldaro::reports
