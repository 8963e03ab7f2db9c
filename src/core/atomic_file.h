// Replaces a file in one step: the content goes to a temporary file in the same folder, is
// flushed, and is renamed over the old one. A failed save leaves the old file as it was.
#pragma once

#include <QString>
#include <string_view>

namespace keldaro {

// Returns false with a reason in `error` when the file could not be written.
bool WriteFileAtomically(const QString& path, std::string_view content, QString* error);

}  // namespace keldaro
