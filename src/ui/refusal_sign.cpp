#include "ui/refusal_sign.h"

#include <QLabel>
#include <QPalette>
#include <QTimer>

namespace keldaro::ui {
namespace {

constexpr int kFlashMs = 400;
constexpr int kNoteMs = 4000;
constexpr const char* kFlashingProperty = "keldaroRefusalFlash";
const QColor kRefusedBackground(255, 200, 200);

void Flash(QWidget& field) {
  if (field.property(kFlashingProperty).toBool()) return;  // already lit; its timer puts it back
  const QPalette before = field.palette();
  QPalette lit = before;
  lit.setColor(QPalette::Base, kRefusedBackground);
  field.setPalette(lit);
  field.setProperty(kFlashingProperty, true);
  QTimer::singleShot(kFlashMs, &field, [&field, before] {
    field.setPalette(before);
    field.setProperty(kFlashingProperty, false);
  });
}

// The window's note: a small frameless label that takes no focus, so typing goes on.
QLabel& NoteOf(QWidget& window) {
  if (auto* note = window.findChild<QLabel*>(kRefusalNoteName, Qt::FindDirectChildrenOnly)) {
    return *note;
  }
  auto* note =
      new QLabel(&window, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
  note->setObjectName(kRefusalNoteName);
  note->setAttribute(Qt::WA_ShowWithoutActivating);
  note->setForegroundRole(QPalette::ToolTipText);
  note->setBackgroundRole(QPalette::ToolTipBase);
  note->setAutoFillBackground(true);
  note->setMargin(3);
  auto* timer = new QTimer(note);
  timer->setObjectName("hide");
  timer->setSingleShot(true);
  QObject::connect(timer, &QTimer::timeout, note, &QLabel::hide);
  return *note;
}

}  // namespace

void ShowRefusal(QWidget& field, const QString& note) {
  Flash(field);
  QLabel& label = NoteOf(*field.window());
  label.setText(note);
  label.adjustSize();
  label.move(field.mapToGlobal(QPoint(0, field.height())));
  label.show();
  label.findChild<QTimer*>("hide")->start(kNoteMs);
}

}  // namespace keldaro::ui
