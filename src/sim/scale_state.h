// What the virtual scale remembers: PLU table, settings, clerks, receipt lines, departments,
// tax rates, clock, report memory, logo, metrology block and the display.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace keldaro::sim {

struct PluSlot {
  std::int32_t price = -1;  // hundredths; negative marks an empty slot
  std::int32_t code = 0;
  std::uint8_t department = 0;
  std::uint8_t tax_class = 0;
  std::uint8_t flags = 0;  // bit 0 weightless, bit 1 "Sbt", bit 2 "BAR"
  std::string name;        // Windows-1254 bytes, at most 30
  std::int16_t shelf_life = 0;
  std::int32_t quantity = 0;  // count for weightless items, else thousandths
  std::int32_t amount = 0;    // hundredths
  std::int16_t transactions = 0;
};

struct ScaleState {
  static constexpr int kPluSlots = 1801;
  std::string identity;
  std::array<PluSlot, kPluSlots> plu{};
  std::array<std::uint8_t, 51> settings{};   // the settings block as sent with command 34
  std::array<std::string, 4> clerks;         // text 16 each
  std::array<std::string, 8> receipt_lines;  // lines 1..8 at index 0..7, text 32 each
  std::array<std::string, 40> departments;   // text 16 each
  std::array<std::int16_t, 8> tax_rates{};   // hundredths of a percent
  std::int64_t clock_offset_seconds = 0;     // scale clock minus the host clock
  // When set, command 3 answers these six bytes as they stand (a clock that lost its time can
  // hold a month of 13) until command 32 sets the clock again.
  std::optional<std::array<std::uint8_t, 6>> broken_clock;
  std::vector<std::uint8_t> report_memory = std::vector<std::uint8_t>(0x1000);
  std::vector<std::array<std::uint8_t, 48>> logo_rows;  // rows received with command 36
  int logo_declared_rows = 0;
  std::array<std::uint8_t, 24> metrology{};
  int plu_write_ends = 0;                // how many command 39s arrived
  std::vector<std::uint8_t> keys;        // every key code received, in order
  std::array<std::string, 3> display{};  // 7 characters each
  std::array<std::uint8_t, 3> decimal_points{};
  std::uint8_t indicators_a = 0x01;  // bit 0 STAB
  std::uint8_t indicators_b = 0x00;

  // The keypad model behind the display (for the terminal). Line 1 shows the net
  // weight (3 decimals), line 2 the unit price being typed (2 decimals), line 3 their product.
  std::int32_t weight = 0;  // gross weight on the platter, thousandths of the unit
  std::int32_t tare = 0;    // thousandths of the unit
  std::string entry;        // digits typed since the last clear, at most 6

  // Report memory layout.
  static constexpr int kTotalsOffset = 0x0800;
  static constexpr int kClerkOffset = 0x0900;  // clerk k (1..4) at kClerkOffset + (k-1)*80
  static constexpr int kClerkSize = 80;

  void EmptyPluTable();  // every slot empty (price -1)
  void FillSample();     // sample PLUs (Turkish names included), settings, sales, display

  // Carries out one request: changes the state as the command says and returns its reply fields
  // (what follows the two header bytes). Unknown codes change nothing and return no fields.
  std::vector<std::uint8_t> Execute(std::uint8_t code, const std::vector<std::uint8_t>& payload);

  // One key of the keypad (command 64): records it and lets the display react.
  void PressKey(std::uint8_t key);
  // Redraws the three display lines, their decimal points and the indicators from the weight,
  // tare and entry above.
  void RefreshDisplay();
  // The 29 reply fields of the display poll (command 66).
  std::vector<std::uint8_t> DisplayFields() const;

 private:
  // The parts of FillSample.
  void FillSamplePlus();
  void FillSampleSettings();  // the settings block, texts, tax rates, clock and metrology
  void FillSampleReport();    // report memory that agrees with the sample PLUs' sales
  // The commands of Execute with more to them than a field or two.
  std::vector<std::uint8_t> ClockFields() const;
  void SetClockFrom(const std::vector<std::uint8_t>& payload);
  std::vector<std::uint8_t> PluFields(const std::vector<std::uint8_t>& payload) const;
  void WritePluFrom(const std::vector<std::uint8_t>& payload);
  void WriteLogoBlock(const std::vector<std::uint8_t>& payload);
  std::vector<std::uint8_t> ReportMemoryFields(const std::vector<std::uint8_t>& payload) const;
};

}  // namespace keldaro::sim
