// A control's text that a handler converts without a failure flag and that is not a number.
// One guard around every event handler catches it and shows its text in the general error box.
#pragma once

#include <QString>
#include <stdexcept>

namespace keldaro {

class ConversionError : public std::runtime_error {
 public:
  explicit ConversionError(const QString& message)
      : std::runtime_error(message.toStdString()), message_(message) {}
  const QString& message() const { return message_; }

  // "'%s' is not a valid integer value"
  static ConversionError NotInteger(const QString& text);
  // "'%s' is not a valid floating point value"
  static ConversionError NotFloat(const QString& text);
  // "'%s' is not a value from <low> to <high>": a number that converts but does not fit the
  // field it is meant for (a PLU number outside the table, a price beyond 32 bits).
  static ConversionError OutOfRange(const QString& text, const QString& low, const QString& high);

 private:
  QString message_;
};

}  // namespace keldaro
