// Strict UTF-8 decoding for the text files the program reads beside its code page 1254 ones.
#pragma once

#include <QString>
#include <optional>
#include <string_view>

namespace keldaro {

// `bytes` decoded as UTF-8 and composed (NFC), so that a base letter followed by a combining
// mark is the one code page letter it stands for; nothing when a byte sequence is not UTF-8.
std::optional<QString> DecodeUtf8Composed(std::string_view bytes);

}  // namespace keldaro
