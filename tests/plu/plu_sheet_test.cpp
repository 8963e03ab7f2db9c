#include "plu/plu_sheet.h"

#include <gtest/gtest.h>

#include <vector>

namespace keldaro::plu {

using namespace Qt::StringLiterals;
namespace {

struct Change {
  int top, left, bottom, right;
  bool operator==(const Change&) const = default;
};

class PluSheetTest : public ::testing::Test {
 protected:
  PluSheetTest() {
    QObject::connect(&sheet_, &PluSheet::dataChanged,
                     [this](const QModelIndex& tl, const QModelIndex& br) {
                       changes_.push_back({tl.row(), tl.column(), br.row(), br.column()});
                     });
  }
  PluSheet sheet_;
  std::vector<Change> changes_;
};

TEST_F(PluSheetTest, GridRowsMapOntoModelRowsOneBelow) {
  EXPECT_EQ(sheet_.rowCount(), 1801);
  EXPECT_EQ(sheet_.columnCount(), 13);
  sheet_.SetCell(1, kName, u"DOMATES"_s);
  sheet_.SetCell(1801, kTransactions, u"4"_s);
  EXPECT_EQ(sheet_.data(sheet_.index(0, kName), Qt::DisplayRole).toString(), u"DOMATES"_s);
  EXPECT_EQ(sheet_.data(sheet_.index(1800, kTransactions), Qt::EditRole).toString(), u"4"_s);
  EXPECT_EQ(changes_, (std::vector<Change>{{0, 8, 0, 8}, {1800, 12, 1800, 12}}));

  ASSERT_TRUE(sheet_.setData(sheet_.index(4, kPrice), u"1,50"_s, Qt::EditRole));
  EXPECT_EQ(sheet_.Cell(5, kPrice), u"1,50"_s);
  EXPECT_TRUE(sheet_.HoldsRecord(5));
  EXPECT_FALSE(sheet_.HoldsRecord(4));
}

TEST_F(PluSheetTest, RowsOutsideTheGridReadEmptyAndIgnoreWrites) {
  sheet_.SetCell(0, kPrice, u"1"_s);
  sheet_.SetCell(1802, kPrice, u"1"_s);
  sheet_.SetCell(1, 13, u"1"_s);
  EXPECT_TRUE(sheet_.Cell(0, kPrice).isEmpty());
  EXPECT_TRUE(sheet_.Cell(1802, kPrice).isEmpty());
  EXPECT_FALSE(sheet_.HoldsRecord(1804));
  EXPECT_TRUE(changes_.empty());
}

TEST_F(PluSheetTest, HeadingsAndFlags) {
  const QStringList expected = {"No",  "Fiyat", "Kod",      "Kıs",    "VRG",   "AĞ'SIZ", "Sbt",
                                "BAR", "İsim",  "Raf ömrü", "Miktar", "Tutar", "İşlem"};
  for (int c = 0; c < kColumnCount; ++c) {
    EXPECT_EQ(sheet_.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString(), expected[c]);
  }
  // The sales totals too: the typing check, not the model, rejects their changes.
  EXPECT_TRUE(sheet_.flags(sheet_.index(0, kTransactions)) & Qt::ItemIsEditable);
}

TEST_F(PluSheetTest, DeferredChangesArriveAsOneSpan) {
  sheet_.DeferChanges(true);
  for (int row = 3; row <= 1801; ++row) sheet_.SetCell(row, kPrice, u"1"_s);
  sheet_.SetCell(2, kName, u"x"_s);
  EXPECT_TRUE(changes_.empty());
  sheet_.FlushChanges();
  EXPECT_EQ(changes_, (std::vector<Change>{{1, 0, 1800, 12}}));
  sheet_.FlushChanges();  // nothing new: no signal
  EXPECT_EQ(changes_.size(), 1u);
  sheet_.SetCell(9, kCode, u"7"_s);
  sheet_.DeferChanges(false);  // ending the deferral announces what is left
  EXPECT_EQ(changes_.back(), (Change{8, 0, 8, 12}));
  sheet_.SetCell(9, kCode, u"8"_s);
  EXPECT_EQ(changes_.back(), (Change{8, 2, 8, 2}));
}

TEST_F(PluSheetTest, ClearAllEmptiesEveryRecordCell) {
  sheet_.SetCell(1, kNo, u"0"_s);
  sheet_.SetCell(1801, kAmount, u"9,99"_s);
  changes_.clear();
  sheet_.ClearAll();
  EXPECT_TRUE(sheet_.Cell(1, kNo).isEmpty());
  EXPECT_TRUE(sheet_.Cell(1801, kAmount).isEmpty());
  EXPECT_EQ(changes_, (std::vector<Change>{{0, 0, 1800, 12}}));
  EXPECT_EQ(sheet_.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), u"No"_s);
}

}  // namespace
}  // namespace keldaro::plu
