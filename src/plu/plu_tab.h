// The "PLU" tab (TabSheet1): the PLU grid StringGrid1 with its typing checks, the PLU range,
// "Tümü" and "Sil", the text file buttons and the two transfer buttons. The handlers map the
// controls to the PLU sheet, file and transfer functions.
#pragma once

#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QWidget>

#include "link/scale_session.h"
#include "plu/plu_sheet.h"
#include "plu/plu_transfer.h"
#include "transfer/transfer_progress.h"
#include "ui/file_chooser.h"
#include "ui/remembered_cell_text.h"
#include "ui/services.h"

namespace keldaro::plu {

// The PLU text file dialogs (OpenDialog1, SaveDialog1).
inline const ui::FileDialogOptions kPluFileDialog{"TAB separated Text Files|*.TXT", "TXT", "."};

// Shown when a PLU file holds more record lines than the grid has rows.
QString NotLoadedLinesText(int ignored_lines);

class PluTab : public QWidget {
  Q_OBJECT
 public:
  PluTab(ScaleSession& session, const ui::Services& services, ui::RememberedCellText& remembered,
         QWidget* parent = nullptr);

  // The progress dialog, created after the main window.
  void SetProgress(transfer::TransferProgress& progress) { progress_ = &progress; }
  PluSheet& sheet() { return sheet_; }

  void StringGrid1SelectCell(int column, int row);
  void Button12Click();  // "Tümü": the range becomes all PLUs
  void Button17Click();  // "Sil": empties every record row
  void Button5Click();   // "PC'den yükle": load a PLU text file
  void Button6Click();   // "PC'ye kaydet": save the grid to a PLU text file
  void Button7Click();   // "Terazi'den yükle": read the range from the scale
  void Button8Click();   // "Teraziye gönder": send the rows to the scale

  QTableView* StringGrid1;
  QSpinBox* SpinEdit1;  // "İlk", first PLU of the range
  QSpinBox* SpinEdit2;  // "Son", last PLU of the range
  QPushButton* Button12;
  QPushButton* Button17;
  QPushButton* Button5;
  QPushButton* Button6;
  QPushButton* Button7;
  QPushButton* Button8;

 private:
  void BuildGrid();
  PluRange Range() const { return {SpinEdit1->value(), SpinEdit2->value()}; }

  ScaleSession& session_;
  ui::Services services_;
  ui::RememberedCellText& remembered_;
  transfer::TransferProgress* progress_ = nullptr;
  PluSheet sheet_;
};

}  // namespace keldaro::plu
