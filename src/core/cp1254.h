// Windows code page 1254 (Turkish), the byte encoding of every text on the wire and in the
// program's files. Characters the code page lacks become '?'.
#pragma once

#include <QByteArray>
#include <QString>
#include <string>
#include <string_view>

namespace keldaro {

std::string ToCp1254(QStringView text);
QString FromCp1254(std::string_view bytes);

}  // namespace keldaro
