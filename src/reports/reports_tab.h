// The "Raporlar" tab (TabSheet3): the report listing Memo3, "Raporlar" (download), "Sil" and
// "Dosyayı kaydet". The PC only reads the scale's totals here; it never clears them.
#pragma once

#include <QPlainTextEdit>
#include <QPushButton>
#include <QWidget>

#include "link/scale_session.h"
#include "ui/file_chooser.h"
#include "ui/services.h"

namespace keldaro::reports {

// SaveDialog2: no initial folder.
inline const ui::FileDialogOptions kListingFileDialog{"Text files|*.TXT", "TXT", ""};

class ReportsTab : public QWidget {
  Q_OBJECT
 public:
  ReportsTab(ScaleSession& session, const ui::Services& services, QWidget* parent = nullptr);

  void Button18Click();  // "Raporlar": download the report into the listing
  void Button19Click();  // "Sil": empty the listing
  void Button20Click();  // "Dosyayı kaydet": save the listing

  QPlainTextEdit* Memo3;
  QPushButton* Button18;
  QPushButton* Button19;
  QPushButton* Button20;

 private:
  ScaleSession& session_;
  ui::Services services_;
};

}  // namespace keldaro::reports
