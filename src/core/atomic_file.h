// Replaces a file in one step: the content goes to a temporary file in the same folder, is
// flushed, and is renamed over the old one. A failed save leaves the old file as it was.
// A target that exists and is not a regular file (a device such as /dev/null, a FIFO, a
// terminal) cannot be replaced that way and must not be: it is written into directly.
#pragma once

#include <QString>
#include <string_view>

namespace keldaro {

// Returns false with a reason in `error` when the file could not be written.
bool WriteFileAtomically(const QString& path, std::string_view content, QString* error);

// Why `path` could not be written by WriteFileAtomically (its folder missing or not writable, a
// folder in its place), found before any work is done; empty when it looks writable.
QString WriteTargetProblem(const QString& path);

}  // namespace keldaro
