// Cell editor whose every typed change is checked at once: an accepted text goes straight into
// the cell (and, where the grid wants it, becomes the remembered cell text); a rejected one is
// replaced, in the editor and the cell, by the remembered text, with a beep and a visible sign
// (the editor flashes and a note names the field and what it takes). In a column holding a
// decimal number either decimal mark is read as the user's separator before the check.
#pragma once

#include <QLineEdit>
#include <QPersistentModelIndex>
#include <QStringView>
#include <QStyledItemDelegate>
#include <functional>

#include "link/notifier.h"
#include "ui/remembered_cell_text.h"
#include "ui/typed_fields.h"

namespace keldaro::ui {

class CheckedCellDelegate : public QStyledItemDelegate {
  Q_OBJECT
 public:
  using Check = std::function<bool(int column, QStringView text)>;
  // What the column takes, as the grid's feature words it.
  using Field = std::function<TypedField(int column)>;
  // The PLU grid remembers every accepted text; the tax grid keeps the text the cell had when
  // it was selected, so a rejected keystroke goes back to that.
  enum class OnAccept { kRemember, kKeepRemembered };

  CheckedCellDelegate(RememberedCellText& remembered, Notifier& notifier, QChar separator,
                      Check accepts, Field field, OnAccept on_accept, QObject* parent = nullptr);

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override;
  void setEditorData(QWidget* editor, const QModelIndex& index) const override;

 private:
  void SetEditText(QLineEdit* editor, const QPersistentModelIndex& index,
                   const QString& typed) const;

  RememberedCellText& remembered_;
  Notifier& notifier_;
  QChar separator_;
  Check accepts_;
  Field field_;
  OnAccept on_accept_;
};

}  // namespace keldaro::ui
