// The scale's operating settings as one value: what the "Ayarlar" tab's controls hold, what a
// load fills and a send reads, and what the settings file stores. Default-constructed, it holds
// the tab's start values (the controls as designed, after the window's set-up).
#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>

#include "core/int_limits.h"

namespace keldaro::settings {

inline constexpr int kClerks = 4;
inline constexpr int kHeaderLines = 6;  // receipt lines 1 to 6
inline constexpr int kFooterLines = 2;  // receipt lines 7 and 8
inline constexpr int kDepartments = 40;
inline constexpr int kTaxRates = 8;  // A to H

inline constexpr int kOperatingModes = 5;  // items of the operating mode list
inline constexpr int kNoOperatingMode = -1;

// Print options byte: one bit per check box, CheckBox1 in bit 0 to CheckBox8 in bit 7.
inline constexpr std::uint8_t kReceipt = 0x01;
inline constexpr std::uint8_t kDoubleReceipt = 0x02;
inline constexpr std::uint8_t kGraphicLogo = 0x04;
inline constexpr std::uint8_t kProductBarcode = 0x08;
inline constexpr std::uint8_t kAmountBarcode = 0x10;
inline constexpr std::uint8_t kMandatoryPayment = 0x20;
inline constexpr std::uint8_t kDiscount = 0x40;
inline constexpr std::uint8_t kPluCode = 0x80;
// Extra options byte: bits 0 to 3; the upper four are sent as 0 and ignored when read.
inline constexpr std::uint8_t kAllReports = 0x01;
inline constexpr std::uint8_t kTax = 0x02;
inline constexpr std::uint8_t kBacklight = 0x04;
inline constexpr std::uint8_t kSavePlu = 0x08;
inline constexpr std::uint8_t kExtraOptionBits = 0x0F;

// The spin fields' limits; a value read from the scale outside them shows the nearest limit.
inline constexpr IntLimits kLanNumberLimits{0, 99};
inline constexpr IntLimits kAutoOffLimits{0, 240};
inline constexpr IntLimits kDiscountLimits{0, 99};
inline constexpr IntLimits kDrawerTimeLimits{1, 99};

// Widths of the text fields on the wire, in code-page characters.
inline constexpr int kBarcodeFormatWidth = 16;
inline constexpr int kCurrencyWidth = 3;
inline constexpr int kNameWidth = 16;  // clerks and departments
inline constexpr int kReceiptLineWidth = 32;

// The highest tax rate in percent a tax cell takes; typing has no lower limit, a file has the
// lowest rate 16 signed bits of hundredths hold.
inline constexpr double kMaxTaxRate = 99.99;
inline constexpr double kMinTaxRate = -327.68;

// The currency text that travels as the euro sign, and the sign as it is shown when received.
inline const QString kEuroText = QStringLiteral("EUR");
inline const QString kEuroSign = QStringLiteral("\u20AC");

struct SettingsRecord {
  int operating_mode = 0;  // item of the list, or kNoOperatingMode (sent as 255)
  std::uint8_t print_options = kReceipt | kGraphicLogo | kDiscount;
  std::uint8_t extra_options = kBacklight | kSavePlu;
  QString product_barcode_format = QStringLiteral("a44W5U5");
  QString amount_barcode_format = QStringLiteral("a44W5P5");
  std::int32_t line_speed = 1200;
  int lan_number = 0;
  int auto_off_minutes = 20;
  int discount_percent = 6;
  int drawer_time = 10;
  int printer_contrast = 3;  // sent as its low 8 bits
  QString currency = kEuroText;
  std::array<QString, kClerks> clerks = {QStringLiteral("Sandrej"), QStringLiteral("Ola Tervanu "),
                                         QStringLiteral("Pendravik"), QStringLiteral("Tamrell")};
  QStringList header = {QStringLiteral("~2   KELDARO Terazi, İzmir"),
                        QStringLiteral("    Header Line Message!")};
  QStringList footer = {QStringLiteral("      Foot Line Message!")};
  std::array<QString, kDepartments> departments{};
  std::array<std::int16_t, kTaxRates> tax_rates{};  // hundredths of a percent: 18 % is 1800

  bool operator==(const SettingsRecord&) const = default;
};

// "Fabrika ayarı": the factory presets over `record`. The operating mode, the tax rates and
// the backlight and "Save plu" options keep their values.
void ApplyFactoryPresets(SettingsRecord& record);

}  // namespace keldaro::settings
