// The PLU grid's cells: 1801 record rows of 13 texts, the program's only copy of the PLU table.
// Rows are addressed as the grid numbers them: 1 to 1801 (row 0 is the heading row, served as
// header data). The view shows it; the transfers and the file code act on it.
#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <QStringList>
#include <array>
#include <vector>

#include "plu/plu_limits.h"
#include "transfer/deferred_changes.h"

namespace keldaro::plu {

enum Column : int {
  kNo = 0,
  kPrice,        // "Fiyat"
  kCode,         // "Kod"
  kDepartment,   // "Kıs"
  kTaxClass,     // "VRG"
  kWeightless,   // "AĞ'SIZ"
  kFixedFlag,    // "Sbt"
  kBarFlag,      // "BAR"
  kName,         // "İsim"
  kShelfLife,    // "Raf ömrü"
  kQuantity,     // "Miktar" (read-only)
  kAmount,       // "Tutar" (read-only)
  kTransactions  // "İşlem" (read-only)
};
inline constexpr int kColumnCount = 13;
inline constexpr int kFirstRecordRow = 1;
inline constexpr int kLastRecordRow = kRecordRows;

const QStringList& Headings();

class PluSheet : public QAbstractTableModel, public transfer::DeferrableChanges {
  Q_OBJECT
 public:
  explicit PluSheet(QObject* parent = nullptr);

  // Grid-row access, rows 1..1801. Rows outside that range read as empty and ignore writes.
  const QString& Cell(int row, int column) const;
  void SetCell(int row, int column, const QString& text);
  // A row holds a record exactly when its "Fiyat" cell is not empty.
  bool HoldsRecord(int row) const { return !Cell(row, kPrice).isEmpty(); }
  // "Sil": every record cell becomes empty.
  void ClearAll();

  // While deferred, cell changes are collected and announced in one dataChanged by
  // FlushChanges(), so a 1801-record transfer does not repaint the grid once per cell.
  void DeferChanges(bool defer) override;
  void FlushChanges() override;
  bool ChangesDeferred() const override { return deferred_; }

  // QAbstractTableModel: model row r is grid row r + 1.
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  using Row = std::array<QString, kColumnCount>;
  std::vector<Row> rows_;
  bool deferred_ = false;
  int dirty_first_ = -1;
  int dirty_last_ = -1;
};

}  // namespace keldaro::plu
