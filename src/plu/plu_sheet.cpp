#include "plu/plu_sheet.h"

namespace keldaro::plu {

const QStringList& Headings() {
  static const QStringList headings = {
      QStringLiteral("No"),       QStringLiteral("Fiyat"),  QStringLiteral("Kod"),
      QStringLiteral("Kıs"),      QStringLiteral("VRG"),    QStringLiteral("AĞ'SIZ"),
      QStringLiteral("Sbt"),      QStringLiteral("BAR"),    QStringLiteral("İsim"),
      QStringLiteral("Raf ömrü"), QStringLiteral("Miktar"), QStringLiteral("Tutar"),
      QStringLiteral("İşlem")};
  return headings;
}

namespace {
// What the short headings stand for, shown as the heading's tool tip; empty for the others.
QString HeadingTip(int column) {
  static const QStringList tips = {QStringLiteral("PLU numarası (0 - 1800)"),
                                   {},
                                   QStringLiteral("Ürün kodu"),
                                   QStringLiteral("Kısım numarası (0 - 40)"),
                                   QStringLiteral("Vergi sınıfı (0 - 8)"),
                                   QStringLiteral("Ağırlıksız: 1 ise ürün adetle satılır"),
                                   QStringLiteral("Sbt bayrağı: 0 ya da 1"),
                                   QStringLiteral("BAR bayrağı: 0 ya da 1")};
  return column < tips.size() ? tips[column] : QString();
}

bool IsRecordCell(int row, int column) {
  return row >= kFirstRecordRow && row <= kLastRecordRow && column >= 0 && column < kColumnCount;
}
}  // namespace

PluSheet::PluSheet(QObject* parent) : QAbstractTableModel(parent), rows_(kRecordRows) {}

const QString& PluSheet::Cell(int row, int column) const {
  static const QString empty;
  if (!IsRecordCell(row, column)) return empty;
  return rows_[static_cast<std::size_t>(row - kFirstRecordRow)][static_cast<std::size_t>(column)];
}

void PluSheet::SetCell(int row, int column, const QString& text) {
  if (!IsRecordCell(row, column)) return;
  QString& cell =
      rows_[static_cast<std::size_t>(row - kFirstRecordRow)][static_cast<std::size_t>(column)];
  if (cell == text) return;
  cell = text;
  const int model_row = row - kFirstRecordRow;
  if (deferred_) {
    dirty_first_ = dirty_first_ < 0 ? model_row : std::min(dirty_first_, model_row);
    dirty_last_ = std::max(dirty_last_, model_row);
  } else {
    emit dataChanged(index(model_row, column), index(model_row, column));
  }
}

void PluSheet::ClearAll() {
  for (Row& row : rows_) row.fill(QString());
  dirty_first_ = 0;
  dirty_last_ = kRecordRows - 1;
  if (!deferred_) FlushChanges();
}

void PluSheet::DeferChanges(bool defer) {
  deferred_ = defer;
  // Ending the deferral must not lose what was collected.
  if (!defer) FlushChanges();
}

void PluSheet::FlushChanges() {
  if (dirty_first_ < 0) return;
  const QModelIndex top_left = index(dirty_first_, 0);
  const QModelIndex bottom_right = index(dirty_last_, kColumnCount - 1);
  dirty_first_ = dirty_last_ = -1;
  emit dataChanged(top_left, bottom_right);
}

int PluSheet::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kRecordRows;
}

int PluSheet::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumnCount;
}

QVariant PluSheet::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) return {};
  return Cell(index.row() + kFirstRecordRow, index.column());
}

bool PluSheet::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || role != Qt::EditRole) return false;
  SetCell(index.row() + kFirstRecordRow, index.column(), value.toString());
  return true;
}

QVariant PluSheet::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
      section < kColumnCount) {
    return Headings()[section];
  }
  if (orientation == Qt::Horizontal && role == Qt::ToolTipRole && section >= 0 &&
      !HeadingTip(section).isEmpty()) {
    return HeadingTip(section);
  }
  return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags PluSheet::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  // Every column is editable, the sales totals included: the typing check decides, and puts a
  // rejected change back with a beep, which needs an editor to be opened first.
  return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable;
}

}  // namespace keldaro::plu
