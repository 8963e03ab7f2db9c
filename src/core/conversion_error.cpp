#include "core/conversion_error.h"

#include "core/quoted_value.h"

namespace keldaro {

ConversionError ConversionError::NotInteger(const QString& text) {
  return ConversionError(QLatin1Char('\'') + QuotedValue(text) +
                         QStringLiteral("' is not a valid integer value"));
}

ConversionError ConversionError::NotFloat(const QString& text) {
  return ConversionError(QLatin1Char('\'') + QuotedValue(text) +
                         QStringLiteral("' is not a valid floating point value"));
}

ConversionError ConversionError::OutOfRange(const QString& text, const QString& low,
                                            const QString& high) {
  return ConversionError(QLatin1Char('\'') + QuotedValue(text) +
                         QStringLiteral("' is not a value from ") + low + QStringLiteral(" to ") +
                         high);
}

}  // namespace keldaro
