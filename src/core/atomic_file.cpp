#include "core/atomic_file.h"

#include <QSaveFile>

namespace keldaro {

bool WriteFileAtomically(const QString& path, std::string_view content, QString* error) {
  // QSaveFile writes beside the target and renames on commit; it never falls back to writing
  // the target in place, so the old file stays whole until the new one is complete.
  QSaveFile file(path);
  const auto fail = [&](const QString& reason) {
    if (error) *error = reason;
    return false;
  };
  if (!file.open(QIODevice::WriteOnly)) return fail(file.errorString());
  const qint64 size = static_cast<qint64>(content.size());
  if (file.write(content.data(), size) != size) {
    const QString reason = file.errorString();
    file.cancelWriting();
    return fail(reason);
  }
  if (!file.commit()) return fail(file.errorString());
  return true;
}

}  // namespace keldaro
