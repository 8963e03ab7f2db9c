// Feeds arbitrary bytes to the report decoder and listing as the totals block and a clerk
// block: no crash, no read past a block, and the listing has its fixed lines and at most one
// line per tax rate and hour.
#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "reports/report_codec.h"
#include "reports/report_listing.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace keldaro::reports;
  // Exactly sized copies, so the sanitizer sees any read past a block.
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::string totals_block = bytes.substr(0, kTotalsSize);
  const std::string clerk_block =
      bytes.size() > kTotalsSize ? bytes.substr(kTotalsSize, kClerkSize) : std::string();
  if (totals_block.size() == kTotalsSize) {
    const auto lines = TotalsLines(DecodeTotals(totals_block), QStringLiteral("now"), u',');
    if (lines.size() < 8 || lines.size() > 8 + kTaxRates + kHours) std::abort();
  }
  if (clerk_block.size() == kClerkSize) {
    if (ClerkLines(1, DecodeClerk(clerk_block), u'.').size() != 11) std::abort();
  }
  return 0;
}
