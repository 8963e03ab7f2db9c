#include "ui/drop_down_width.h"

#include <QAbstractItemView>
#include <QLineEdit>
#include <QScrollBar>

namespace keldaro::ui {

void FitDropDownToItems(QComboBox& box) {
  QAbstractItemView* view = box.view();
  const int scroll_bar =
      box.count() > box.maxVisibleItems() ? view->verticalScrollBar()->sizeHint().width() : 0;
  view->setMinimumWidth(view->sizeHintForColumn(box.modelColumn()) + 2 * view->frameWidth() +
                        scroll_bar);
}

void ShowEndOfText(QComboBox& box) {
  // A chosen or restored text already has the cursor at its end; only an edit that leaves the
  // cursor elsewhere needs it put back.
  if (QLineEdit* edit = box.lineEdit()) {
    QObject::connect(edit, &QLineEdit::editingFinished, edit, [edit] { edit->end(false); });
  }
}

}  // namespace keldaro::ui
