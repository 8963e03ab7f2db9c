// Reading and sending the PLU table from the PLU tab, with the real progress dialog.
#include <QTest>
#include <QTimer>
#include <array>

#include "gui_fixture.h"
#include "link/commands.h"

namespace keldaro::gui_testing {
namespace {

class PluTransferGuiTest : public GuiTest {
 protected:
  void SetUp() override { StartConnected(); }

  static sim::PluSlot Slot(std::int32_t price, std::string name) {
    sim::PluSlot slot;
    slot.price = price;
    slot.name = std::move(name);
    return slot;
  }

  // PLU numbers of the read requests, in order.
  std::vector<int> ReadNumbers() const {
    std::vector<int> numbers;
    for (const sim::ReceivedRequest& r : scale->Requests()) {
      if (r.code == cmd::kReadPlu) numbers.push_back(r.payload[0] << 8 | r.payload[1]);
    }
    return numbers;
  }

  void FillRows(int count) {
    for (int row = 1; row <= count; ++row) {
      const QStringList cells = {QString::number(row),   "1.25", "7", "1", "1", "0", "0", "0",
                                 QStringLiteral("ELMA"), "3"};
      for (int c = 0; c < cells.size(); ++c) sheet().SetCell(row, c, cells[c]);
    }
  }
};

TEST_F(PluTransferGuiTest, AReadFillsRowsWithoutGapsAndLeavesTheRest) {
  scale->WithState([](sim::ScaleState& s) {
    s.EmptyPluTable();
    s.plu[0] = Slot(-1, "");
    s.plu[3] = Slot(53, "ELMA");
    s.plu[7] = Slot(1250, "DOMATES");
  });
  sheet().SetCell(4, plu::kName, "old four");
  sheet().SetCell(1801, plu::kName, "old last");

  Click(plu_tab().Button7);
  EXPECT_TRUE(notifier.errors.empty()) << LastError();
  EXPECT_EQ(RequestCount(cmd::kReadPlu), 1801);
  EXPECT_EQ(sheet().Cell(1, plu::kNo), "0");
  EXPECT_EQ(sheet().Cell(1, plu::kPrice), "-0.01");  // PLU 0 is shown whatever its price
  EXPECT_EQ(sheet().Cell(2, plu::kNo), "3");
  EXPECT_EQ(sheet().Cell(2, plu::kPrice), "0.53");
  EXPECT_EQ(sheet().Cell(3, plu::kNo), "7");
  EXPECT_EQ(sheet().Cell(3, plu::kName), "DOMATES");
  EXPECT_EQ(sheet().Cell(4, plu::kName), "old four");
  EXPECT_TRUE(sheet().Cell(4, plu::kNo).isEmpty());
  EXPECT_EQ(sheet().Cell(1801, plu::kName), "old last");

  // The view was told of the new rows even though the run held the signals back.
  const QModelIndex shown = sheet().index(2, plu::kName);
  EXPECT_EQ(plu_tab().StringGrid1->model()->data(shown).toString(), "DOMATES");
  EXPECT_FALSE(program->form2().isVisible());
  EXPECT_FALSE(program->form2().Running());
  EXPECT_EQ(program->form2().Label1->text(), "1801 / 1801 PLUs");
}

TEST_F(PluTransferGuiTest, ReadThenSendGivesTheScaleBackEveryRecordUnchanged) {
  std::array<sim::PluSlot, sim::ScaleState::kPluSlots> before;
  scale->WithState([&before](sim::ScaleState& s) {
    s.plu[12] = Slot(53,
                     "\xDE"
                     "EKER");  // 0.53 must stay 0.53 through text and back
    s.plu[12].flags = 0xFF;    // bits 3 to 7 are not the PC's: they go back as 0
    before = s.plu;
  });
  Click(plu_tab().Button7);
  scale->WithState([](sim::ScaleState& s) { s.EmptyPluTable(); });
  Click(plu_tab().Button8);
  ASSERT_TRUE(notifier.errors.empty()) << LastError();

  scale->WithState([&before](sim::ScaleState& s) {
    int records = 0;
    for (int n = 0; n < sim::ScaleState::kPluSlots; ++n) {
      const sim::PluSlot& was = before[n];
      const sim::PluSlot& now = s.plu[n];
      if (was.price < 0 && n != 0) {
        EXPECT_LT(now.price, 0) << "PLU " << n;
        continue;
      }
      ++records;
      EXPECT_EQ(now.price, was.price) << "PLU " << n;
      EXPECT_EQ(now.code, was.code) << "PLU " << n;
      EXPECT_EQ(now.department, was.department) << "PLU " << n;
      EXPECT_EQ(now.tax_class, was.tax_class) << "PLU " << n;
      EXPECT_EQ(now.flags, was.flags & 0x07) << "PLU " << n;
      EXPECT_EQ(now.name, was.name) << "PLU " << n;
      EXPECT_EQ(now.shelf_life, was.shelf_life) << "PLU " << n;
    }
    EXPECT_GT(records, 20);
  });
}

TEST_F(PluTransferGuiTest, StopDuringAReadEndsAfterTheRecordInHand) {
  ClickWhenShown(&program->form2(), program->form2().Button1);
  Click(plu_tab().Button7);
  // PLU 0, PLU 1800 and PLU 1 come before the first pause; PLU 2 was in hand when STOP was seen.
  EXPECT_EQ(ReadNumbers(), (std::vector<int>{0, 1800, 1, 2}));
  EXPECT_FALSE(program->form2().isVisible());
  EXPECT_FALSE(program->form2().Running());

  // The next run starts running again and goes to its end.
  scale->ClearLog();
  plu_tab().SpinEdit2->setValue(3);
  Click(plu_tab().Button7);
  EXPECT_EQ(ReadNumbers(), (std::vector<int>{0, 1800, 1, 2, 3}));
}

TEST_F(PluTransferGuiTest, StopDuringASendStillClosesTheSend) {
  FillRows(10);
  ClickWhenShown(&program->form2(), program->form2().Button1);
  Click(plu_tab().Button8);
  const std::vector<sim::ReceivedRequest> requests = scale->Requests();
  ASSERT_EQ(requests.size(), 3u);  // row 1 before the pause, row 2 in hand, then 39
  for (int i = 0; i < 2; ++i) EXPECT_EQ(requests[i].code, cmd::kWritePlu);
  EXPECT_EQ(requests[2].code, cmd::kEndPluWrite);
  EXPECT_FALSE(program->form2().isVisible());
}

TEST_F(PluTransferGuiTest, ASendCoversTheRangeAndARowThatDoesNotConvertSendsNothing) {
  FillRows(13);
  plu_tab().SpinEdit1->setValue(1);
  plu_tab().SpinEdit2->setValue(10);
  Click(plu_tab().Button8);
  EXPECT_EQ(RequestCount(cmd::kWritePlu), 13);
  EXPECT_EQ(RequestCount(cmd::kEndPluWrite), 1);
  EXPECT_TRUE(notifier.errors.empty()) << LastError();

  scale->ClearLog();
  sheet().SetCell(3, plu::kCode, "12.5");  // stands while typed, fails when sent
  Click(plu_tab().Button8);
  // Checked before the first command: the rows before it are not sent either.
  EXPECT_TRUE(scale->Requests().empty());
  EXPECT_EQ(notifier.CountOf("row 3: '12.5' is not a valid integer value"), 1);
  EXPECT_FALSE(program->form2().isVisible());
  EXPECT_FALSE(program->form2().Running());
}

TEST_F(PluTransferGuiTest, ASendSaysWhichPlusANegativePriceWillEmpty) {
  FillRows(4);
  sheet().SetCell(3, plu::kPrice, "-1");
  plu_tab().SpinEdit2->setValue(1);
  Click(plu_tab().Button8);
  EXPECT_EQ(notifier.CountOf("PLU 3 has a negative price: it will be emptied on the scale"), 1);
  EXPECT_EQ(RequestCount(cmd::kWritePlu), 4);  // the send goes on
}

TEST_F(PluTransferGuiTest, ARangeWhoseFirstIsAboveItsLastSendsNothing) {
  plu_tab().SpinEdit1->setValue(9);
  plu_tab().SpinEdit2->setValue(4);
  Click(plu_tab().Button7);
  Click(plu_tab().Button8);
  EXPECT_EQ(notifier.errors.size(), 2u);
  EXPECT_EQ(scale->FramesReceived(), 0);
  EXPECT_FALSE(program->form2().isVisible());
}

}  // namespace
}  // namespace keldaro::gui_testing
