#include "core/utf8_text.h"

#include <QStringDecoder>

namespace keldaro {

std::optional<QString> DecodeUtf8Composed(std::string_view bytes) {
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  const QString text =
      utf8.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
  if (utf8.hasError()) return std::nullopt;
  return text.normalized(QString::NormalizationForm_C);
}

}  // namespace keldaro
