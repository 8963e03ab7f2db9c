#include "ui/checked_cell_delegate.h"

#include "ui/decimal_mark.h"
#include "ui/refusal_sign.h"

namespace keldaro::ui {

CheckedCellDelegate::CheckedCellDelegate(RememberedCellText& remembered, Notifier& notifier,
                                         QChar separator, Check accepts, Field field,
                                         OnAccept on_accept, QObject* parent)
    : QStyledItemDelegate(parent),
      remembered_(remembered),
      notifier_(notifier),
      separator_(separator),
      accepts_(std::move(accepts)),
      field_(std::move(field)),
      on_accept_(on_accept) {}

QWidget* CheckedCellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                           const QModelIndex& index) const {
  QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
  if (auto* line = qobject_cast<QLineEdit*>(editor)) {
    const QPersistentModelIndex cell(index);
    // textEdited, not textChanged: only the user's keystrokes are checked, not our own setText.
    connect(line, &QLineEdit::textEdited, this,
            [this, line, cell](const QString& value) { SetEditText(line, cell, value); });
  }
  return editor;
}

void CheckedCellDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
  // Every keystroke is written to the cell, and the view then hands the cell back to the
  // editor; setting the same text again would move the cursor to the end and drop the undo list.
  auto* line = qobject_cast<QLineEdit*>(editor);
  if (line && line->text() == index.data(Qt::EditRole).toString()) return;
  QStyledItemDelegate::setEditorData(editor, index);
}

void CheckedCellDelegate::SetEditText(QLineEdit* editor, const QPersistentModelIndex& index,
                                      const QString& typed) const {
  if (!index.isValid()) return;
  auto* model = const_cast<QAbstractItemModel*>(index.model());
  const TypedField field = field_(index.column());
  const QString value = field.decimal ? WithDecimalSeparator(typed, separator_) : typed;
  if (accepts_(index.column(), value)) {
    if (value != typed) ReplaceTypedText(*editor, value);
    if (on_accept_ == OnAccept::kRemember) remembered_.text = value;
    model->setData(index, value, Qt::EditRole);
    return;
  }
  editor->setText(remembered_.text);
  model->setData(index, remembered_.text, Qt::EditRole);
  notifier_.Beep();
  ShowRefusal(*editor, field.refusal_note);
}

}  // namespace keldaro::ui
