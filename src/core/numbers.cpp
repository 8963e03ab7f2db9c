#include "core/numbers.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include "core/conversion_error.h"

namespace keldaro {
namespace {

// Exponents beyond this are out of any double's range anyway; capping keeps the sum in int.
constexpr int kExponentCap = 100000;

bool IsAsciiDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

// A decimal number taken apart: sign, the digits before and after the separator, exponent.
struct DecimalText {
  bool negative = false;
  std::string whole;     // ASCII digits before the separator (may be empty: ",5")
  std::string fraction;  // ASCII digits after it (may be empty: "12,")
  int exponent = 0;
};

// Accepts [blanks] [sign] digits [separator [digits]] [e [sign] digits] [blanks], or the same
// with no digits before the separator but at least one after it.
std::optional<DecimalText> ScanDecimal(QStringView text, QChar separator) {
  const QStringView t = text.trimmed();
  qsizetype i = 0;
  DecimalText d;
  if (i < t.size() && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-'))) {
    d.negative = t[i] == QLatin1Char('-');
    ++i;
  }
  while (i < t.size() && IsAsciiDigit(t[i])) d.whole.push_back(char(t[i++].unicode()));
  if (i < t.size() && t[i] == separator) {
    ++i;
    while (i < t.size() && IsAsciiDigit(t[i])) d.fraction.push_back(char(t[i++].unicode()));
  }
  if (d.whole.empty() && d.fraction.empty()) return std::nullopt;
  if (i < t.size() && (t[i] == QLatin1Char('e') || t[i] == QLatin1Char('E'))) {
    ++i;
    bool exponent_negative = false;
    if (i < t.size() && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-'))) {
      exponent_negative = t[i] == QLatin1Char('-');
      ++i;
    }
    if (i >= t.size() || !IsAsciiDigit(t[i])) return std::nullopt;
    while (i < t.size() && IsAsciiDigit(t[i])) {
      d.exponent = std::min(kExponentCap, d.exponent * 10 + (t[i++].unicode() - '0'));
    }
    if (exponent_negative) d.exponent = -d.exponent;
  }
  if (i != t.size()) return std::nullopt;
  return d;
}

}  // namespace

bool ParseInt(QStringView text, std::int32_t& value) {
  const QStringView t = text.trimmed();
  qsizetype i = 0;
  bool negative = false;
  if (i < t.size() && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-'))) {
    negative = t[i] == QLatin1Char('-');
    ++i;
  }
  if (i == t.size()) return false;
  // Accumulate the magnitude; the negative limit is one larger than the positive one.
  const std::int64_t limit = negative ? -std::int64_t{std::numeric_limits<std::int32_t>::min()}
                                      : std::numeric_limits<std::int32_t>::max();
  std::int64_t magnitude = 0;
  for (; i < t.size(); ++i) {
    if (!IsAsciiDigit(t[i])) return false;
    magnitude = magnitude * 10 + (t[i].unicode() - '0');
    if (magnitude > limit) return false;
  }
  value = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
  return true;
}

bool ParseFloat(QStringView text, double& value, QChar separator) {
  const std::optional<DecimalText> d = ScanDecimal(text, separator);
  if (!d) return false;
  // from_chars reads the C form of the number whatever the process locale says.
  std::string c_form = d->negative ? "-" : "";
  c_form += d->whole.empty() ? "0" : d->whole;
  if (!d->fraction.empty()) c_form += "." + d->fraction;
  c_form += "e" + std::to_string(d->exponent);
  double parsed = 0;
  const auto [end, error] = std::from_chars(c_form.data(), c_form.data() + c_form.size(), parsed);
  if (error != std::errc() || end != c_form.data() + c_form.size()) return false;
  value = parsed;
  return true;
}

std::int32_t StrToInt(const QString& text) {
  std::int32_t value = 0;
  if (!ParseInt(text, value)) throw ConversionError::NotInteger(text);
  return value;
}

double StrToFloat(const QString& text, QChar separator) {
  double value = 0;
  if (!ParseFloat(text, value, separator)) throw ConversionError::NotFloat(text);
  return value;
}

double StrToScalableFloat(const QString& text, QChar separator, double scale) {
  const double value = StrToFloat(text, separator);
  if (!std::isfinite(value * scale)) throw ConversionError::NotFloat(text);
  return value;
}

std::int64_t HundredthsOf(const QString& text, QChar separator) {
  double checked = 0;
  const std::optional<DecimalText> d = ScanDecimal(text, separator);
  if (!d || !ParseFloat(text, checked, separator)) throw ConversionError::NotFloat(text);
  // All digits in a row; the point of the hundredths falls `point` digits from the left.
  std::string digits = d->whole + d->fraction;
  std::int64_t point = static_cast<std::int64_t>(d->whole.size()) + d->exponent + 2;
  const std::size_t leading_zeros = std::min(digits.find_first_not_of('0'), digits.size());
  digits.erase(0, leading_zeros);
  point -= static_cast<std::int64_t>(leading_zeros);
  if (point <= 0 || digits.empty()) return 0;
  if (point > std::numeric_limits<std::int64_t>::digits10) throw ConversionError::NotFloat(text);
  std::int64_t hundredths = 0;
  for (std::int64_t k = 0; k < point; ++k) {
    const std::size_t at = static_cast<std::size_t>(k);
    hundredths = hundredths * 10 + (at < digits.size() ? digits[at] - '0' : 0);
  }
  return d->negative ? -hundredths : hundredths;
}

bool FinerThanHundredths(QStringView text, QChar separator) {
  const std::optional<DecimalText> d = ScanDecimal(text, separator);
  if (!d) return false;
  // The hundredths digit is the one `point` digits from the left of all the digits in a row.
  const std::string digits = d->whole + d->fraction;
  const std::int64_t point = static_cast<std::int64_t>(d->whole.size()) + d->exponent + 2;
  for (std::size_t k = 0; k < digits.size(); ++k) {
    if (static_cast<std::int64_t>(k) >= point && digits[k] != '0') return true;
  }
  return false;
}

QString FormatFixed(double value, int decimals, QChar separator) {
  // QString::number always writes a point and never groups digits, whatever the locale.
  QString text = QString::number(value, 'f', decimals);
  text.replace(QLatin1Char('.'), separator);
  return text;
}

QString FormatHundredthsShort(std::int64_t hundredths, QChar separator) {
  const bool negative = hundredths < 0;
  // Unsigned so that the most negative value has a magnitude too.
  const std::uint64_t magnitude = negative
                                      ? std::uint64_t{0} - static_cast<std::uint64_t>(hundredths)
                                      : static_cast<std::uint64_t>(hundredths);
  QString text = negative ? QStringLiteral("-") : QString();
  text += QString::number(magnitude / 100);
  const std::uint64_t cents = magnitude % 100;
  if (cents != 0) {
    text += separator;
    text += cents % 10 == 0 ? QString::number(cents / 10)
                            : QString::number(cents).rightJustified(2, QLatin1Char('0'));
  }
  return text;
}

}  // namespace keldaro
