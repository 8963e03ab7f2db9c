#include "reports/reports_tab.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLocale>
#include <QVBoxLayout>

#include "core/date_time_stamp.h"
#include "reports/report_listing.h"
#include "reports/report_transfer.h"
#include "ui/file_steps.h"
#include "ui/handler_guard.h"
#include "ui/memo_text.h"
#include "ui/named_widgets.h"
#include "ui/outcome_text.h"
#include "ui/run_input_guard.h"

namespace keldaro::reports {

ReportsTab::ReportsTab(ScaleSession& session, const ui::Services& services, QWidget* parent)
    : QWidget(parent), session_(session), services_(services) {
  setObjectName("TabSheet3");
  Memo3 = ui::Named(new QPlainTextEdit(this), "Memo3");
  Memo3->setReadOnly(true);
  Memo3->setLineWrapMode(QPlainTextEdit::NoWrap);
  Memo3->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  // A fixed-pitch font keeps the TAB-separated columns of the listing lined up.
  Memo3->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  Button18 = ui::Named(new QPushButton(QStringLiteral("Raporlar"), this), "Button18");
  Button19 = ui::Named(new QPushButton(QStringLiteral("Sil"), this), "Button19");
  Button20 = ui::Named(new QPushButton(QStringLiteral("Dosyayı kaydet"), this), "Button20");

  auto* buttons = new QVBoxLayout;
  buttons->addWidget(Button18);
  buttons->addWidget(Button19);
  buttons->addWidget(Button20);
  buttons->addStretch();
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(Memo3, 1);
  layout->addLayout(buttons);

  Notifier& n = services_.notifier;
  ui::ConnectGuarded(n, Button18, &QPushButton::clicked, this, [this] { Button18Click(); });
  ui::ConnectGuarded(n, Button19, &QPushButton::clicked, this, [this] { Button19Click(); });
  ui::ConnectGuarded(n, Button20, &QPushButton::clicked, this, [this] { Button20Click(); });
}

void ReportsTab::Button18Click() {
  if (!session_.RequireConnection()) return;
  const ui::RunInputGuard input_guard;
  Memo3->clear();  // a download that then fails leaves the listing empty or partial
  const Download download = DownloadReport(
      session_, DateTimeStamp(services_.clock.Now(), QLocale()), services_.decimal_separator);
  if (!download.lines.isEmpty()) Memo3->setPlainText(download.lines.join(QLatin1Char('\n')));
  services_.outcomes.Show(ui::OutcomeText(ui::RunKind::kReportRead, download.result));
}

void ReportsTab::Button19Click() { Memo3->clear(); }

void ReportsTab::Button20Click() {
  const QString name = services_.files.SaveFileName(kListingFileDialog);
  if (name.isEmpty()) return;
  const QString text = ui::MemoText(*Memo3);
  const QStringList lines = text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
  ui::WriteChosenFile(services_.notifier, name, ListingFile(lines));
}

}  // namespace keldaro::reports
