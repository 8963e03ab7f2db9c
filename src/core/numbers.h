// Text <-> number conversions with an explicit decimal separator (the user's, passed down from
// QLocale::system()). Nothing here follows the C locale.
#pragma once

#include <QChar>
#include <QString>
#include <QStringView>
#include <cstdint>

namespace keldaro {

// Whole number, optional sign, surrounding blanks allowed; 32-bit range. On failure returns
// false and leaves `value` unchanged.
bool ParseInt(QStringView text, std::int32_t& value);
// Decimal number with `separator` as the decimal point: optional sign, digits with at most one
// separator (a trailing separator as in "12," stands), optional exponent. On failure returns
// false and leaves `value` unchanged.
bool ParseFloat(QStringView text, double& value, QChar separator);

// The same conversions for handlers that have no flag: they throw ConversionError.
std::int32_t StrToInt(const QString& text);
double StrToFloat(const QString& text, QChar separator);
// StrToFloat for a value that goes out multiplied by `scale`: it also refuses a number whose
// product overflows a double (1e307 percent as hundredths), which no wire integer could hold.
double StrToScalableFloat(const QString& text, QChar separator, double scale);

// The decimal value of `text` times 100 with further digits dropped (toward zero), worked out on
// the digits themselves so 0.53 gives 53 exactly. Throws ConversionError for a non-number.
std::int64_t HundredthsOf(const QString& text, QChar separator);

// Whether the number `text` has a digit other than 0 past the hundredths (1.009, 5e-3): a value
// kept in hundredths would lose it. False for a text that is not a number.
bool FinerThanHundredths(QStringView text, QChar separator);

// Fixed-point with `decimals` digits after `separator` ("%3.2f" is FormatFixed(v, 2, sep)).
QString FormatFixed(double value, int decimals, QChar separator);
// Shortest decimal form of hundredths: 1800 -> "18", 875 -> "8.75", -500 -> "-5".
QString FormatHundredthsShort(std::int64_t hundredths, QChar separator);

}  // namespace keldaro
