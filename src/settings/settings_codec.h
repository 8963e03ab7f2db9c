// The settings on the wire: the 51-byte settings block (command 34's request, command 5's
// reply), the text fields of the clerk, receipt line and department records, and the 16-byte
// tax rate table (command 40's request, command 11's reply). Byte strings in, values out: no
// link, no widgets.
#pragma once

#include <QChar>
#include <QString>
#include <QStringView>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "settings/settings_record.h"

namespace keldaro::settings {

inline constexpr std::size_t kBlockSize = 51;
inline constexpr std::size_t kTaxTableSize = 2 * kTaxRates;

// A text field of `width`: the code-page bytes cut or zero-filled to `width`, then one zero byte.
std::string EncodeText(const QString& text, int width);
// The characters before the first zero byte of a field, at most `width` of them.
QString DecodeText(std::string_view field, int width);

std::string EncodeSettingsBlock(const SettingsRecord& record);
// Takes a block of kBlockSize bytes apart into the block's fields of `record`, the way the
// controls take the values: a mode above 4 selects nothing, spin values beyond their limits
// become the nearest limit, the upper four extra option bits are ignored.
void DecodeSettingsBlock(std::string_view block, SettingsRecord& record);

std::string EncodeTaxTable(const std::array<std::int16_t, kTaxRates>& rates);
std::array<std::int16_t, kTaxRates> DecodeTaxTable(std::string_view table);

// A tax cell's text in percent as hundredths on the wire: times 100, to the nearest integer
// with halves to even (0.125 gives 12, 0.375 gives 38), then its low 16 bits. Throws
// ConversionError for a text that is not a number or whose hundredths overflow a double.
std::int16_t TaxRateHundredths(const QString& text, QChar separator);
// The shortest decimal form of a rate: 1800 gives "18", 875 "8.75", -500 "-5".
QString TaxRateText(std::int16_t hundredths, QChar separator);
// Whether a typed change of a tax cell stands: an empty text, or a number up to kMaxTaxRate.
bool AcceptsTypedTaxRate(QStringView text, QChar separator);

}  // namespace keldaro::settings
