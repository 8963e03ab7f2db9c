#include "reports/report_listing.h"

#include "core/cp1254.h"
#include "core/numbers.h"

namespace keldaro::reports {
namespace {

// "%f": two decimals, the user's separator, a minus sign when negative.
QString Amount(std::int32_t hundredths, QChar separator) {
  return FormatFixed(hundredths / 100.0, 2, separator);
}

// "%2.d": at least two characters, blanks on the left.
QString TwoWide(int n) { return QStringLiteral("%1").arg(n, 2); }

const QString kRule = QStringLiteral("----------------------- ");

}  // namespace

QStringList TotalsLines(const Totals& t, const QString& stamp, QChar sep) {
  QStringList lines;
  lines << kRule + QStringLiteral("Raporlar ") + stamp;
  lines << QString();
  lines << QStringLiteral("DOC NO\t\t\t%1").arg(t.document_number);
  lines << QStringLiteral("Tutar\t\t\t") + Amount(t.total, sep);
  lines << kRule + QStringLiteral("VERGİ'lendirilmiş tutar");
  for (std::size_t i = 0; i < t.taxes.size(); ++i) {
    if (t.taxes[i] != 0) {
      lines << QStringLiteral("VRG") + TwoWide(static_cast<int>(i) + 1) + QStringLiteral("\t\t\t") +
                   Amount(t.taxes[i], sep);
    }
  }
  lines << QString();
  lines << kRule + QStringLiteral("Saat'lik tutar");
  for (std::size_t h = 0; h < t.hour_counts.size(); ++h) {
    // Listed by the count alone: an hour without sales shows no line whatever its amount.
    if (t.hour_counts[h] != 0) {
      lines << TwoWide(static_cast<int>(h)) + QStringLiteral("h\t\t%1\t").arg(t.hour_counts[h]) +
                   Amount(t.hour_amounts[h], sep);
    }
  }
  lines << QString();
  return lines;
}

QStringList ClerkLines(int clerk, const ClerkTotals& c, QChar sep) {
  return {kRule + QStringLiteral("Tezgahtar %1").arg(clerk),
          QStringLiteral("Müşteriler\t\t\t%1").arg(c.customers),
          QStringLiteral("İşlemler\t\t\t%1").arg(c.transactions),
          QStringLiteral("Tutar\t\t\t") + Amount(c.sales, sep),
          QStringLiteral("Geçersiz sayısı\t\t%1").arg(c.void_count),
          QStringLiteral("Geçersiz tutarı\t\t") + Amount(c.void_amount, sep),
          QStringLiteral("İskonto sayısı\t\t%1").arg(c.discount_count),
          QStringLiteral("İskonto tutarı\t\t") + Amount(c.discount_amount, sep),
          QStringLiteral("Nakit \t\t\t") + Amount(c.cash, sep),
          QStringLiteral("Kredi \t\t\t") + Amount(c.credit, sep),
          QString()};
}

std::string ListingFile(const QStringList& lines) {
  std::string file;
  for (const QString& line : lines) file += ToCp1254(line) + "\r\n";
  return file;
}

}  // namespace keldaro::reports
