#include "plu/plu_tab.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QVBoxLayout>
#include <array>

#include "core/date_time_stamp.h"
#include "core/file_messages.h"
#include "plu/plu_file.h"
#include "plu/plu_limits.h"
#include "plu/plu_record.h"
#include "transfer/deferred_changes.h"
#include "ui/checked_cell_delegate.h"
#include "ui/file_steps.h"
#include "ui/handler_guard.h"
#include "ui/named_widgets.h"
#include "ui/outcome_text.h"
#include "ui/typed_fields.h"

namespace keldaro::plu {
namespace {

using ui::Named;

// "Fiyat" and "Kod" are wide enough for 9999.99 and 999999 in the platform's 8-point font (a
// narrower layout cut them to "200..."); "İsim" gives up the room, so the grid keeps its width.
constexpr std::array<int, kColumnCount> kColumnWidths = {39, 55,  55, 27, 32, 42, 28,
                                                         28, 213, 60, 54, 51, 43};
constexpr int kRowHeight = 21;
constexpr const char* kEmptiedTitle = "Warning";

// What a column takes while typed, worded for the note of a refused keystroke.
ui::TypedField TypedColumn(int column, QChar separator) {
  const QString& caption = Headings()[column];
  const TypedCheck check = TypedCheckOf(column);
  switch (check.takes) {
    case TypedCheck::Takes::kNumber:
      return ui::DecimalField(caption, check.max, separator);
    case TypedCheck::Takes::kWholeNumber:
      return ui::WholeNumberField(caption, static_cast<int>(check.max));
    case TypedCheck::Takes::kFlag:
      return ui::FlagField(caption);
    case TypedCheck::Takes::kText:
      return ui::TextField(caption, static_cast<int>(check.max));
    case TypedCheck::Takes::kNothing:
      return ui::ReadOnlyField(caption);
    case TypedCheck::Takes::kAnything:
      break;
  }
  return {};  // never refused
}

}  // namespace

QString NotLoadedLinesText(int ignored_lines) {
  return QStringLiteral(
             "The file holds more records than the table has rows: the first %1 were "
             "loaded, the remaining %2 were not.")
      .arg(kRecordRows)
      .arg(ignored_lines);
}

PluTab::PluTab(ScaleSession& session, const ui::Services& services,
               ui::RememberedCellText& remembered, QWidget* parent)
    : QWidget(parent), session_(session), services_(services), remembered_(remembered) {
  setObjectName("TabSheet1");

  SpinEdit1 = ui::SpinField("SpinEdit1", kRangeNumbers, kRangeNumbers.min, this);
  SpinEdit2 = ui::SpinField("SpinEdit2", kRangeNumbers, kRangeNumbers.min, this);
  Button12 = Named(new QPushButton(QStringLiteral("Tümü"), this), "Button12");
  Button17 = Named(new QPushButton(QStringLiteral("Sil"), this), "Button17");
  Button5 = Named(new QPushButton(QStringLiteral("PC'den yükle"), this), "Button5");
  Button6 = Named(new QPushButton(QStringLiteral("PC'ye kaydet"), this), "Button6");
  Button7 = Named(new QPushButton(QStringLiteral("Terazi'den yükle"), this), "Button7");
  Button8 = Named(new QPushButton(QStringLiteral("Teraziye gönder"), this), "Button8");
  BuildGrid();

  auto* range_row = new QHBoxLayout;
  range_row->addWidget(new QLabel(QStringLiteral("İlk"), this));
  range_row->addWidget(SpinEdit1);
  range_row->addWidget(new QLabel(QStringLiteral("Son"), this));
  range_row->addWidget(SpinEdit2);
  range_row->addWidget(Button12);
  range_row->addWidget(Button17);
  range_row->addStretch();
  range_row->addWidget(Button5);
  range_row->addWidget(Button6);

  auto* transfer_row = new QHBoxLayout;
  transfer_row->addStretch();
  transfer_row->addWidget(Button7);
  transfer_row->addWidget(Button8);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addLayout(range_row);
  layout->addWidget(StringGrid1, 1);
  layout->addLayout(transfer_row);

  Notifier& notifier = services_.notifier;
  using ui::ConnectGuarded;
  ConnectGuarded(notifier, Button12, &QPushButton::clicked, this, [this] { Button12Click(); });
  ConnectGuarded(notifier, Button17, &QPushButton::clicked, this, [this] { Button17Click(); });
  ConnectGuarded(notifier, Button5, &QPushButton::clicked, this, [this] { Button5Click(); });
  ConnectGuarded(notifier, Button6, &QPushButton::clicked, this, [this] { Button6Click(); });
  ConnectGuarded(notifier, Button7, &QPushButton::clicked, this, [this] { Button7Click(); });
  ConnectGuarded(notifier, Button8, &QPushButton::clicked, this, [this] { Button8Click(); });
}

void PluTab::BuildGrid() {
  StringGrid1 = Named(new QTableView(this), "StringGrid1");
  StringGrid1->setModel(&sheet_);
  StringGrid1->setSelectionMode(QAbstractItemView::ContiguousSelection);
  StringGrid1->setSelectionBehavior(QAbstractItemView::SelectItems);
  StringGrid1->setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
                               QAbstractItemView::EditKeyPressed);
  StringGrid1->setTabKeyNavigation(true);
  StringGrid1->setWordWrap(false);
  StringGrid1->verticalHeader()->hide();
  QHeaderView* rows = StringGrid1->verticalHeader();
  rows->setMinimumSectionSize(kRowHeight);
  rows->setDefaultSectionSize(kRowHeight);
  rows->setSectionResizeMode(QHeaderView::Fixed);
  QHeaderView* columns = StringGrid1->horizontalHeader();
  columns->setMinimumSectionSize(10);
  columns->setFixedHeight(kRowHeight);
  columns->setHighlightSections(false);
  for (int column = 0; column < kColumnCount; ++column) {
    columns->resizeSection(column, kColumnWidths[static_cast<std::size_t>(column)]);
  }

  const QChar separator = services_.decimal_separator;
  StringGrid1->setItemDelegate(new ui::CheckedCellDelegate(
      remembered_, services_.notifier, separator,
      [separator](int column, QStringView text) {
        return AcceptsTypedText(column, text, separator);
      },
      [separator](int column) { return TypedColumn(column, separator); },
      ui::CheckedCellDelegate::OnAccept::kRemember, StringGrid1));
  connect(StringGrid1->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) {
            if (current.isValid()) StringGrid1SelectCell(current.column(), current.row() + 1);
          });
}

void PluTab::StringGrid1SelectCell(int column, int row) {
  remembered_.text = sheet_.Cell(row, column);
}

void PluTab::Button12Click() {
  SpinEdit1->setValue(kRangeNumbers.min);
  SpinEdit2->setValue(kRangeNumbers.max);
}

void PluTab::Button17Click() { sheet_.ClearAll(); }

void PluTab::Button5Click() {
  const QString name = services_.files.OpenFileName(kPluFileDialog);
  if (name.isEmpty()) return;
  const std::optional<std::string> bytes = ui::ReadChosenFile(services_.notifier, name);
  if (!bytes) return;
  const PluLoadResult result = LoadPluFile(*bytes, sheet_, services_.decimal_separator);
  if (result.failed_line > 0) {
    ui::ShowFileError(services_.notifier, kInputErrorText,
                      result.Where() + QStringLiteral(": ") + result.failure);
  } else if (result.ignored_lines > 0) {
    ui::ShowFileError(services_.notifier, NotLoadedLinesText(result.ignored_lines), {});
  }
}

void PluTab::Button6Click() {
  const QString name = services_.files.SaveFileName(kPluFileDialog);
  if (name.isEmpty()) return;
  const QString created = DateTimeStamp(services_.clock.Now(), QLocale());
  int blanked = 0;
  const std::string file = SavePluFile(sheet_, created, &blanked);
  if (ui::WriteChosenFile(services_.notifier, name, file) && blanked > 0) {
    ui::ShowFileError(services_.notifier, BlankedCellsText(blanked), {});
  }
}

void PluTab::Button7Click() {
  if (progress_ == nullptr) return;
  transfer::ModelFollowingProgress progress(*progress_, sheet_);
  const PluRange range = Range();
  const RunResult result =
      ReadRange(session_, sheet_, range, progress, services_.decimal_separator, false);
  services_.outcomes.Show(ui::OutcomeText(ui::RunKind::kPluRead, result, ReadCount(range)));
}

void PluTab::Button8Click() {
  if (progress_ == nullptr || !MayRun(session_, Range())) return;
  const std::vector<int> rows = RangeRows(sheet_, Range());
  // Said before the send, since a negative price is no typing mistake the send would refuse.
  const QString emptied =
      EmptiedNumbersText(EmptiedNumbers(sheet_, rows, services_.decimal_separator));
  if (!emptied.isEmpty()) services_.notifier.Error(kEmptiedTitle, emptied.toStdString(), {});
  transfer::ModelFollowingProgress progress(*progress_, sheet_);
  const RunResult result =
      SendRows(session_, sheet_, rows, progress, services_.decimal_separator, {});
  services_.outcomes.Show(
      ui::OutcomeText(ui::RunKind::kPluSend, result, static_cast<int>(rows.size())));
}

}  // namespace keldaro::plu
