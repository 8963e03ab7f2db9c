#include "ui/outcome_text.h"

namespace keldaro::ui {
namespace {

struct Words {
  const char* subject;
  const char* done;
  const char* failed;
  bool counted;  // the PLU runs name how many records went through
};

Words WordsOf(RunKind run) {
  switch (run) {
    case RunKind::kPluRead:
      return {"PLU", "okundu", "okunamadı", true};
    case RunKind::kPluSend:
      return {"PLU", "gönderildi", "gönderilemedi", true};
    case RunKind::kSettingsLoad:
      return {"Ayarlar", "okundu", "okunamadı", false};
    case RunKind::kSettingsSend:
      return {"Ayarlar", "gönderildi", "gönderilemedi", false};
    case RunKind::kClockSet:
      return {"Saat", "ayarlandı", "ayarlanamadı", false};
    case RunKind::kClockRead:
      return {"Saat", "okundu", "okunamadı", false};
    case RunKind::kLogoSend:
      return {"Logo", "gönderildi", "gönderilemedi", false};
    case RunKind::kSystemSend:
      return {"Sistem parametreleri", "gönderildi", "gönderilemedi", false};
    case RunKind::kReportRead:
      return {"Rapor", "okundu", "okunamadı", false};
  }
  return {"", "", "", false};
}

QString Text(const char* text) { return QString::fromUtf8(text); }

QString Count(int done, int total) {
  return total > 0 ? QStringLiteral("%1 / %2").arg(done).arg(total) : QString::number(done);
}

}  // namespace

QString OutcomeText(RunKind run, const transfer::RunResult& result, int total) {
  const Words words = WordsOf(run);
  const QString subject = Text(words.subject);
  if (result.ok && result.stopped) {
    return words.counted ? QStringLiteral("Durduruldu: %1 %2 %3")
                               .arg(Count(result.done, total), subject, Text(words.done))
                         : QStringLiteral("Durduruldu: %1 yarıda kaldı").arg(subject);
  }
  if (result.ok) {
    return words.counted
               ? QStringLiteral("%1 %2 %3").arg(result.done).arg(subject, Text(words.done))
               : QStringLiteral("%1 %2").arg(subject, Text(words.done));
  }
  // A command failed at record done + 1; a run refused before its first command, or one whose
  // records all went through, names no record.
  const bool at_record = words.counted && result.failure != LinkFailure::kNone &&
                         result.failure != LinkFailure::kNotOpen &&
                         (total == 0 || result.done < total);
  return at_record ? QStringLiteral("Hata: %1. %2 %3")
                         .arg(result.done + 1)
                         .arg(subject, Text(words.failed))
                   : QStringLiteral("Hata: %1 %2").arg(subject, Text(words.failed));
}

}  // namespace keldaro::ui
