// Replaces a file in one step: the content goes to a temporary file in the same folder, every
// write is checked, the file is synced to disk and renamed over the old one, and the folder is
// synced so that the rename outlives a power cut. Any failure (a full disk) leaves the old file
// byte for byte, removes the temporary file and gives the system's reason.
// A target that exists and is not a regular file (a device such as /dev/null, a FIFO, a
// terminal) cannot be replaced that way and must not be: it is written into directly.
#pragma once

#include <QString>
#include <functional>
#include <string_view>

namespace keldaro {

// Returns false with a reason in `error` when the file could not be written. A FIFO with no
// reader is waited for until one opens it or `stopped` (when given) says to give up.
bool WriteFileAtomically(const QString& path, std::string_view content, QString* error,
                         const std::function<bool()>& stopped = {});

// Syncs a folder's entries (a file renamed into it) to disk; false with the system's reason.
bool SyncFolder(const QString& folder, QString* error);

// Why `path` could not be written by WriteFileAtomically (its folder missing or not writable, a
// folder in its place), found before any work is done; empty when it looks writable.
QString WriteTargetProblem(const QString& path);

}  // namespace keldaro
