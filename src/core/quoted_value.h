// A bad value as an error message quotes it: whole when short, else its start and "…", so a
// line of a megabyte read from a file does not become a message of a megabyte.
#pragma once

#include <QString>
#include <QStringView>

namespace keldaro {

inline constexpr qsizetype kMaxQuotedCharacters = 80;

inline QString QuotedValue(QStringView text) {
  if (text.size() <= kMaxQuotedCharacters) return text.toString();
  qsizetype kept = kMaxQuotedCharacters;
  if (text[kept - 1].isHighSurrogate()) --kept;  // never half a character
  return text.first(kept).toString() + QChar(0x2026);
}

}  // namespace keldaro
