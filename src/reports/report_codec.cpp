#include "reports/report_codec.h"

#include "core/big_endian.h"

namespace keldaro::reports {
namespace {

std::int32_t AmountAt(std::string_view b, std::size_t at) {
  return static_cast<std::int32_t>(DwordAt(b, at));
}

}  // namespace

Totals DecodeTotals(std::string_view b) {
  Totals t;
  t.document_number = AmountAt(b, 0);
  t.total = AmountAt(b, 4);
  for (std::size_t i = 0; i < t.taxes.size(); ++i) t.taxes[i] = AmountAt(b, 8 + 4 * i);
  for (std::size_t h = 0; h < t.hour_amounts.size(); ++h) {
    t.hour_amounts[h] = AmountAt(b, 44 + 4 * h);
    t.hour_counts[h] = WordAt(b, 140 + 2 * h);
  }
  return t;
}

ClerkTotals DecodeClerk(std::string_view b) {
  ClerkTotals c;
  c.sales = AmountAt(b, 0);
  c.transactions = WordAt(b, 4);
  c.void_amount = AmountAt(b, 6);
  c.void_count = WordAt(b, 10);
  c.customers = WordAt(b, 12);
  c.cash = AmountAt(b, 14);
  c.credit = AmountAt(b, 18);
  c.discount_count = WordAt(b, 22);
  c.discount_amount = AmountAt(b, 24);
  return c;
}

}  // namespace keldaro::reports
