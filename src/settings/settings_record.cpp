#include "settings/settings_record.h"

namespace keldaro::settings {

void ApplyFactoryPresets(SettingsRecord& record) {
  record.print_options =
      kReceipt | kGraphicLogo | kProductBarcode | kAmountBarcode | kDiscount | kPluCode;  // 0xDD
  record.product_barcode_format = QStringLiteral("a44W5U5");
  record.amount_barcode_format = QStringLiteral("a44W5P5");
  record.line_speed = 115200;
  record.lan_number = 0;
  record.auto_off_minutes = 0;
  record.discount_percent = 0;
  record.drawer_time = 50;
  record.printer_contrast = 3;
  record.currency = QStringLiteral("YTL");
  record.extra_options = static_cast<std::uint8_t>((record.extra_options & ~kAllReports) | kTax);
  record.clerks = {QStringLiteral("Orvina"), QStringLiteral("Teodo"), QStringLiteral("Nami"),
                   QStringLiteral("Halun")};
  const QString full_width = QStringLiteral("12345678901234567890123456789012");
  record.header = {
      QStringLiteral("~7 HEADER MESSAGE"),           full_width,
      QStringLiteral("~0VUN KELDARO ~1VUN KELDARO"), QStringLiteral("~2KELDARO ~3KELDARO"),
      QStringLiteral("~4VUN KELDARO ~5VUN KELDARO"), QStringLiteral("~6KELDARO ~7KELDARO")};
  record.footer = {QStringLiteral("~7 FOOTER MESSAGE"), full_width};
  for (int d = 0; d < kDepartments; ++d) {
    record.departments[static_cast<std::size_t>(d)] = QStringLiteral("GROUP %1").arg(d);
  }
}

}  // namespace keldaro::settings
