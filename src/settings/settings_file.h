// The settings file: the whole settings record as UTF-8 JSON, pretty-printed with its keys in a
// fixed order. The tab's file buttons and the command line read and write the same file.
#pragma once

#include <QString>
#include <optional>
#include <string>
#include <string_view>

#include "settings/settings_record.h"

namespace keldaro::settings {

std::string SaveSettingsFile(const SettingsRecord& record);

// Reads a settings file over `base`: each key the file holds replaces that value of `base`.
// With `every_key` a key the file leaves out is an error too. A file that fails a check gives
// nothing back, with a message in `error` that names the key (or the line and column of a
// syntax error).
std::optional<SettingsRecord> LoadSettingsFile(std::string_view bytes, const SettingsRecord& base,
                                               bool every_key, QString& error);

}  // namespace keldaro::settings
