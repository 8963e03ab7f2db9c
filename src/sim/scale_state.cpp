#include "sim/scale_state.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>

#include "link/commands.h"
#include "sim/cp1254_text.h"

namespace keldaro::sim {
namespace {

// --- Big-endian field writers and a forgiving reader (missing bytes read as 0). ---

void PutByte(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
}
void PutWord(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v >> 8));
  out.push_back(static_cast<std::uint8_t>(v));
}
void PutDword(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}
// Text of width w: the text cut or zero-filled to w bytes, then one zero byte.
void PutText(std::vector<std::uint8_t>& out, const std::string& text, std::size_t width) {
  for (std::size_t i = 0; i < width; ++i) {
    out.push_back(i < text.size() ? static_cast<std::uint8_t>(text[i]) : 0);
  }
  out.push_back(0);
}

class Reader {
 public:
  explicit Reader(const std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}
  std::uint8_t Byte() {
    const std::uint8_t b = pos_ < bytes_.size() ? bytes_[pos_] : 0;
    ++pos_;
    return b;
  }
  std::uint16_t Word() {
    const std::uint16_t hi = Byte();
    return static_cast<std::uint16_t>((hi << 8) | Byte());
  }
  std::uint32_t Dword() {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v = (v << 8) | Byte();
    return v;
  }
  // The characters before the first zero byte, at most w; the position moves on by w + 1.
  std::string Text(std::size_t width) {
    std::string text;
    bool ended = false;
    for (std::size_t i = 0; i < width + 1; ++i) {
      const std::uint8_t b = Byte();
      if (b == 0 || i == width) ended = true;
      if (!ended) text.push_back(static_cast<char>(b));
    }
    return text;
  }
  bool Has(std::size_t count) const { return bytes_.size() >= pos_ + count; }

 private:
  const std::vector<std::uint8_t>& bytes_;
  std::size_t pos_ = 0;
};

void PutWordAt(std::vector<std::uint8_t>& memory, std::size_t at, std::uint32_t v) {
  memory[at] = static_cast<std::uint8_t>(v >> 8);
  memory[at + 1] = static_cast<std::uint8_t>(v);
}
void PutDwordAt(std::vector<std::uint8_t>& memory, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) memory[at + i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}

// A number as the seven-character display shows it: the digits without the separator (whose
// place the decimal point byte gives), at least one digit before it, right-aligned.
std::string DisplayNumber(std::int64_t value, int decimals) {
  std::string digits = std::to_string(value < 0 ? -value : value);
  if (digits.size() < static_cast<std::size_t>(decimals) + 1) {
    digits.insert(0, decimals + 1 - digits.size(), '0');
  }
  if (value < 0) digits.insert(0, 1, '-');
  if (digits.size() > 7) return "-------";
  return std::string(7 - digits.size(), ' ') + digits;
}

struct SamplePlu {
  int number;
  std::int32_t price;  // hundredths
  std::uint8_t department;
  std::uint8_t tax_class;
  std::uint8_t flags;
  const char* name;  // UTF-8
  std::int16_t shelf_life;
  std::int32_t quantity;  // count, or thousandths for weighed items
  std::int16_t transactions;
};

constexpr std::uint8_t kWeightless = 0x01;
constexpr std::uint8_t kFixed = 0x02;    // "Sbt"
constexpr std::uint8_t kBarcode = 0x04;  // "BAR"

// Prices and sales of a small greengrocer-delicatessen. AYRAN costs 1.95 (0xC3 hundredths), so
// its reply carries an escaped mark byte; PLU 999 has a name of exactly 30 characters.
constexpr SamplePlu kSamplePlus[] = {
    {0, 0, 0, 1, kWeightless, "SERBEST FİYAT", 0, 0, 0},
    {1, 2450, 1, 2, 0, "DOMATES", 5, 12345, 9},
    {2, 1990, 1, 2, 0, "SALATALIK", 5, 8210, 6},
    {3, 1475, 1, 2, 0, "PATATES", 20, 20500, 11},
    {4, 1200, 1, 2, 0, "SOĞAN", 30, 9750, 7},
    {5, 3990, 1, 2, kBarcode, "BİBER", 5, 3420, 5},
    {6, 2990, 1, 2, 0, "PATLICAN", 5, 4100, 3},
    {7, 8900, 1, 2, 0, "ÇİLEK", 3, 2250, 4},
    {8, 3450, 1, 2, 0, "ELMA", 15, 7800, 8},
    {9, 5490, 1, 2, 0, "MUZ", 7, 5120, 6},
    {10, 2750, 1, 2, 0, "PORTAKAL", 15, 0, 0},
    {20, 18900, 2, 2, kBarcode, "PEYNİR (BEYAZ)", 30, 1850, 5},
    {21, 32900, 2, 2, kBarcode, "KAŞAR PEYNİRİ", 60, 1240, 4},
    {22, 14900, 2, 2, 0, "ZEYTİN", 90, 2010, 3},
    {23, 45900, 2, 2, kBarcode, "SUCUK", 30, 760, 2},
    {30, 54900, 3, 2, kBarcode, "DANA KIYMA", 2, 2300, 4},
    {31, 21900, 3, 2, kBarcode, "TAVUK GÖĞÜS", 3, 1980, 3},
    {40, 1500, 4, 1, kWeightless | kFixed, "EKMEK", 1, 42, 31},
    {41, 1250, 4, 1, kWeightless | kFixed, "SİMİT", 1, 25, 14},
    {50, 4990, 5, 1, kWeightless | kBarcode, "ŞEKER 1 KG", 365, 12, 10},
    {51, 6450, 5, 1, kWeightless | kBarcode, "UN 2 KG", 180, 5, 5},
    {52, 27900, 5, 1, kWeightless | kBarcode, "ÇAY 1 KG", 720, 7, 6},
    {60, 3400, 6, 3, kWeightless | kBarcode, "SU 5 LT", 365, 18, 12},
    {61, 195, 6, 3, kWeightless, "AYRAN", 10, 36, 15},
    {100, 19900, 7, 3, 0, "LOKUM", 120, 940, 3},
    {999, 9990, 0, 4, kWeightless, "ÇOK UZUN İSİMLİ DENEME ÜRÜNÜ X", 0, 0, 0},
    {1800, 25, 0, 3, kWeightless | kFixed, "POŞET", 0, 64, 40},
};

}  // namespace

void ScaleState::EmptyPluTable() { plu.fill(PluSlot{}); }

void ScaleState::FillSamplePlus() {
  for (const SamplePlu& s : kSamplePlus) {
    PluSlot& slot = plu[s.number];
    slot.price = s.price;
    slot.code = s.number == 0 ? 0 : 200000 + s.number;  // 200001, 200002, ...
    slot.department = s.department;
    slot.tax_class = s.tax_class;
    slot.flags = s.flags;
    slot.name = Utf8ToCp1254(s.name).substr(0, 30);
    slot.shelf_life = s.shelf_life;
    slot.quantity = s.quantity;
    const std::int64_t amount = (s.flags & kWeightless)
                                    ? std::int64_t{s.quantity} * s.price
                                    : (std::int64_t{s.quantity} * s.price + 500) / 1000;
    slot.amount = static_cast<std::int32_t>(amount);
    slot.transactions = s.transactions;
  }
}

void ScaleState::FillSampleSettings() {
  // Settings block: mode 0, print options 0x45, the two barcode formats, 115200 baud,
  // LAN 0, auto power-off 20 min, discount 6 %, drawer 10, contrast 3, currency "TL", extra
  // options 0x0C.
  settings.fill(0);
  settings[0] = 0;
  settings[1] = 0x45;
  const std::string product_code = "a44W5U5";
  const std::string amount_code = "a44W5P5";
  std::copy(product_code.begin(), product_code.end(), settings.begin() + 2);
  std::copy(amount_code.begin(), amount_code.end(), settings.begin() + 19);
  settings[36] = 0x00;
  settings[37] = 0x01;
  settings[38] = 0xC2;
  settings[39] = 0x00;
  settings[40] = 0;
  settings[41] = 0;
  settings[42] = 20;
  settings[43] = 6;
  settings[44] = 10;
  settings[45] = 3;
  settings[46] = 'T';
  settings[47] = 'L';
  settings[50] = 0x0C;

  clerks = {Utf8ToCp1254("AYŞE"), Utf8ToCp1254("MEHMET"), Utf8ToCp1254("ZEYNEP"),
            Utf8ToCp1254("ÖMER")};
  receipt_lines = {Utf8ToCp1254("~2   KELDARO MANAV"),
                   Utf8ToCp1254("  Atatürk Cad. No:12"),
                   Utf8ToCp1254("    Kadıköy İSTANBUL"),
                   Utf8ToCp1254("  Tel: 0216 555 01 02"),
                   "",
                   "",
                   Utf8ToCp1254("   TEŞEKKÜR EDERİZ"),
                   Utf8ToCp1254("  Yine bekleriz!")};
  const char* named_departments[] = {"GENEL", "MANAV",  "ŞARKÜTERİ", "KASAP",
                                     "FIRIN", "BAKKAL", "İÇECEK",    "ŞEKERLEME"};
  for (int d = 0; d < 40; ++d) {
    departments[d] = d < 8 ? Utf8ToCp1254(named_departments[d]) : "KISIM " + std::to_string(d);
  }
  tax_rates = {100, 1000, 2000, 800, 1800, 0, 0, 0};
  clock_offset_seconds = 0;

  // Metrology block as the PC's SYSTEM tab sends it with its start values.
  metrology = {0x08, 0x0F, 0x02, 0x20, 0x00, 0x01, 0x03, 0xE8, 0x02, 0x00, 0x01, 0x7E,
               0xCA, 0x00, 0x01, 0x7E, 0xCA, 0x0A, 0x00, 0x00, 0x17, 0x70, 0x00, 0x03};
}

void ScaleState::FillSampleReport() {
  // Report memory, consistent with the PLU sales above: the total is the sum of the
  // PLU amounts, the taxed amounts split it by tax class, the hours and the clerks share it out.
  report_memory.assign(0x1000, 0);
  std::int64_t total = 0;
  std::int64_t transactions = 0;
  std::int64_t taxed[10] = {};
  for (const PluSlot& slot : plu) {
    if (slot.price < 0) continue;
    total += slot.amount;
    transactions += slot.transactions;
    if (slot.tax_class >= 1 && slot.tax_class <= 9) taxed[slot.tax_class] += slot.amount;
  }
  std::vector<std::uint8_t>& m = report_memory;
  const std::size_t t = kTotalsOffset;
  PutDwordAt(m, t + 0, 1287);  // document number
  PutDwordAt(m, t + 4, static_cast<std::uint32_t>(total));
  for (int i = 1; i <= 9; ++i)
    PutDwordAt(m, t + 8 + 4 * (i - 1), static_cast<std::uint32_t>(taxed[i]));
  // Opening hours 8 to 20, busiest around noon and after work.
  const int weights[24] = {0,  0, 0, 0, 0, 0,  0,  0, 3, 5, 8, 10,
                           12, 9, 7, 6, 8, 11, 13, 6, 2, 0, 0, 0};
  int weight_sum = 0;
  for (int w : weights) weight_sum += w;
  std::int64_t amount_left = total;
  std::int64_t count_left = transactions;
  for (int h = 0; h < 24; ++h) {
    std::int64_t amount = total * weights[h] / weight_sum;
    std::int64_t count = transactions * weights[h] / weight_sum;
    if (h == 20) {  // the last open hour takes what the rounding left
      amount = amount_left;
      count = count_left;
    }
    amount_left -= amount;
    count_left -= count;
    PutDwordAt(m, t + 44 + 4 * h, static_cast<std::uint32_t>(amount));
    PutWordAt(m, t + 140 + 2 * h, static_cast<std::uint32_t>(count));
  }
  const int shares[4] = {40, 30, 20, 10};
  amount_left = total;
  count_left = transactions;
  for (int k = 1; k <= 4; ++k) {
    std::int64_t sales = k == 4 ? amount_left : total * shares[k - 1] / 100;
    std::int64_t count = k == 4 ? count_left : transactions * shares[k - 1] / 100;
    amount_left -= sales;
    count_left -= count;
    const std::size_t c = kClerkOffset + (k - 1) * kClerkSize;
    const std::int64_t cash = sales * 7 / 10;
    PutDwordAt(m, c + 0, static_cast<std::uint32_t>(sales));
    PutWordAt(m, c + 4, static_cast<std::uint32_t>(count));
    PutDwordAt(m, c + 6, static_cast<std::uint32_t>(150 * k));            // void amount
    PutWordAt(m, c + 10, static_cast<std::uint32_t>(k - 1));              // void count
    PutWordAt(m, c + 12, static_cast<std::uint32_t>(count * 2 / 3 + 1));  // customers
    PutDwordAt(m, c + 14, static_cast<std::uint32_t>(cash));
    PutDwordAt(m, c + 18, static_cast<std::uint32_t>(sales - cash));
    PutWordAt(m, c + 22, static_cast<std::uint32_t>(k % 3));           // discount count
    PutDwordAt(m, c + 24, static_cast<std::uint32_t>((k % 3) * 125));  // discount amount
  }
}

void ScaleState::FillSample() {
  EmptyPluTable();
  FillSamplePlus();
  FillSampleSettings();
  FillSampleReport();
  logo_rows.clear();
  logo_declared_rows = 0;
  plu_write_ends = 0;
  keys.clear();
  weight = 1250;
  tare = 0;
  entry.clear();
  indicators_a = 0x01;
  indicators_b = 0x00;
  RefreshDisplay();
}

std::vector<std::uint8_t> ScaleState::ClockFields() const {
  std::vector<std::uint8_t> out;
  if (broken_clock) {
    out.assign(broken_clock->begin(), broken_clock->end());
    return out;
  }
  const std::time_t now = std::time(nullptr) + static_cast<std::time_t>(clock_offset_seconds);
  std::tm tm{};
  localtime_r(&now, &tm);
  PutByte(out, static_cast<std::uint32_t>(tm.tm_year + 1900 - 2000));
  PutByte(out, static_cast<std::uint32_t>(tm.tm_mon + 1));
  PutByte(out, static_cast<std::uint32_t>(tm.tm_mday));
  PutByte(out, static_cast<std::uint32_t>(tm.tm_hour));
  PutByte(out, static_cast<std::uint32_t>(tm.tm_min));
  PutByte(out, static_cast<std::uint32_t>(tm.tm_sec));
  return out;
}

void ScaleState::SetClockFrom(const std::vector<std::uint8_t>& payload) {
  Reader in(payload);
  if (!in.Has(6)) return;
  std::tm tm{};
  tm.tm_year = 100 + in.Byte();
  tm.tm_mon = in.Byte() - 1;
  tm.tm_mday = in.Byte();
  tm.tm_hour = in.Byte();
  tm.tm_min = in.Byte();
  tm.tm_sec = in.Byte();
  tm.tm_isdst = -1;
  const std::time_t set = std::mktime(&tm);
  if (set != static_cast<std::time_t>(-1)) {
    clock_offset_seconds = static_cast<std::int64_t>(set) - std::time(nullptr);
    broken_clock.reset();
  }
}

std::vector<std::uint8_t> ScaleState::PluFields(const std::vector<std::uint8_t>& payload) const {
  std::vector<std::uint8_t> out;
  Reader in(payload);
  const std::uint16_t number = in.Word();
  const PluSlot empty{};
  const PluSlot& s = number < kPluSlots ? plu[number] : empty;
  PutDword(out, static_cast<std::uint32_t>(s.price));
  PutDword(out, static_cast<std::uint32_t>(s.code));
  PutByte(out, s.department);
  PutByte(out, s.tax_class);
  PutByte(out, s.flags);
  PutText(out, s.name, 30);
  PutWord(out, static_cast<std::uint16_t>(s.shelf_life));
  PutDword(out, static_cast<std::uint32_t>(s.quantity));
  PutDword(out, static_cast<std::uint32_t>(s.amount));
  PutWord(out, static_cast<std::uint16_t>(s.transactions));
  return out;
}

void ScaleState::WritePluFrom(const std::vector<std::uint8_t>& payload) {
  Reader in(payload);
  if (!in.Has(48)) return;
  const std::uint16_t number = in.Word();
  in.Byte();
  if (number >= kPluSlots) return;
  PluSlot& s = plu[number];  // the slot's sales totals stay as they are
  s.price = static_cast<std::int32_t>(in.Dword());
  s.code = static_cast<std::int32_t>(in.Dword());
  s.department = in.Byte();
  s.tax_class = in.Byte();
  s.flags = in.Byte();
  s.name = in.Text(30);
  s.shelf_life = static_cast<std::int16_t>(in.Word());
}

void ScaleState::WriteLogoBlock(const std::vector<std::uint8_t>& payload) {
  Reader in(payload);
  const std::uint16_t block = in.Word();
  if (block == 0) {  // header: the row count; the rows follow
    logo_declared_rows = in.Byte();
    logo_rows.clear();
  } else if ((block - 1) % 48 == 0) {
    const std::size_t y = (block - 1) / 48;
    if (logo_rows.size() <= y) logo_rows.resize(y + 1, std::array<std::uint8_t, 48>{});
    for (std::uint8_t& dots : logo_rows[y]) dots = in.Byte();
  }
}

std::vector<std::uint8_t> ScaleState::ReportMemoryFields(
    const std::vector<std::uint8_t>& payload) const {
  std::vector<std::uint8_t> out;
  Reader in(payload);
  const std::uint16_t offset = in.Word();
  const std::uint8_t count = in.Byte();
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t at = std::size_t{offset} + i;
    out.push_back(at < report_memory.size() ? report_memory[at] : 0);
  }
  return out;
}

std::vector<std::uint8_t> ScaleState::Execute(std::uint8_t code,
                                              const std::vector<std::uint8_t>& payload) {
  std::vector<std::uint8_t> out;
  Reader in(payload);
  switch (code) {
    case cmd::kIdentify:
      PutText(out, identity, 32);
      break;
    case cmd::kReadClock:
      out = ClockFields();
      break;
    case cmd::kSetClock:
      SetClockFrom(payload);
      break;
    case cmd::kReadPlu:
      out = PluFields(payload);
      break;
    case cmd::kWritePlu:
      WritePluFrom(payload);
      break;
    case cmd::kEndPluWrite:
      ++plu_write_ends;
      break;
    case cmd::kReadSettings:
      out.assign(settings.begin(), settings.end());
      break;
    case cmd::kWriteSettings:
      std::copy_n(payload.begin(), std::min(payload.size(), settings.size()), settings.begin());
      break;
    case cmd::kReadClerk: {
      const std::uint8_t i = in.Byte();
      PutText(out, i < clerks.size() ? clerks[i] : std::string(), 16);
      break;
    }
    case cmd::kWriteClerk: {
      const std::uint8_t i = in.Byte();
      if (i < clerks.size()) clerks[i] = in.Text(16);
      break;
    }
    case cmd::kReadDepartment: {
      const std::uint8_t d = in.Byte();
      PutText(out, d < departments.size() ? departments[d] : std::string(), 16);
      break;
    }
    case cmd::kWriteDepartment: {
      const std::uint8_t d = in.Byte();
      if (d < departments.size()) departments[d] = in.Text(16);
      break;
    }
    case cmd::kReadReceiptLine: {
      const std::uint8_t k = in.Byte();
      const bool known = k >= 1 && k <= receipt_lines.size();
      PutText(out, known ? receipt_lines[k - 1] : std::string(), 32);
      break;
    }
    case cmd::kWriteReceiptLine: {
      const std::uint8_t k = in.Byte();
      if (k >= 1 && k <= receipt_lines.size()) receipt_lines[k - 1] = in.Text(32);
      break;
    }
    case cmd::kReadTaxRates:
      for (std::int16_t rate : tax_rates) PutWord(out, static_cast<std::uint16_t>(rate));
      break;
    case cmd::kWriteTaxRates:
      if (!in.Has(16)) break;
      for (std::int16_t& rate : tax_rates) rate = static_cast<std::int16_t>(in.Word());
      break;
    case cmd::kWriteLogo:
      WriteLogoBlock(payload);
      break;
    case cmd::kKey:
      PressKey(in.Byte());
      break;
    case cmd::kMetrology:
      std::copy_n(payload.begin(), std::min(payload.size(), metrology.size()), metrology.begin());
      break;
    case cmd::kDisplayPoll:
      out = DisplayFields();
      break;
    case cmd::kReadReportMemory:
      out = ReportMemoryFields(payload);
      break;
    default:
      break;  // unknown code: the reply carries the header only
  }
  return out;
}

void ScaleState::PressKey(std::uint8_t key) {
  keys.push_back(key);
  constexpr std::size_t kMaxEntry = 6;  // 9999.99
  if (key >= '0' && key <= '9') {
    if (entry.size() < kMaxEntry) entry.push_back(static_cast<char>(key));
  } else {
    switch (key) {
      case '.':  // the "00" key
        for (int i = 0; i < 2 && entry.size() < kMaxEntry; ++i) entry.push_back('0');
        break;
      case 'C':  // clear the entry
        entry.clear();
        break;
      case 'g':  // "<=": take back the last digit
        if (!entry.empty()) entry.pop_back();
        break;
      case 'P': {  // "PLU": the typed number recalls that PLU's price
        const long number = entry.empty() ? 0 : std::strtol(entry.c_str(), nullptr, 10);
        entry.clear();
        if (number < kPluSlots && plu[number].price >= 0 && plu[number].price <= 999999) {
          entry = std::to_string(plu[number].price);
        }
        break;
      }
      case 'Z':  // "-0-": zero the platter
        weight = 0;
        break;
      case 'T':  // "-T-": take the weight as tare, or drop the tare
        tare = tare == 0 ? weight : 0;
        break;
      case 's':  // "shift"
        indicators_b ^= 0x02;
        break;
      case 'M':  // "M": mode
        indicators_a ^= 0x20;
        break;
      case 'c':  // "PAY": the sale is done
        entry.clear();
        tare = 0;
        break;
      default:
        break;  // recorded only
    }
  }
  RefreshDisplay();
}

void ScaleState::RefreshDisplay() {
  const std::int64_t net = std::int64_t{weight} - tare;
  const std::int64_t price = entry.empty() ? 0 : std::strtoll(entry.c_str(), nullptr, 10);
  const std::int64_t product = net * price;
  const std::int64_t total = (product >= 0 ? product + 500 : product - 500) / 1000;
  display = {DisplayNumber(net, 3), DisplayNumber(price, 2), DisplayNumber(total, 2)};
  decimal_points = {3, 2, 2};
  indicators_a = static_cast<std::uint8_t>((indicators_a & ~0x0A) | (weight == 0 ? 0x02 : 0) |
                                           (tare != 0 ? 0x08 : 0));
}

std::vector<std::uint8_t> ScaleState::DisplayFields() const {
  std::vector<std::uint8_t> out;
  out.reserve(29);
  for (const std::string& line : display) {
    out.push_back(0);  // the unused byte before each line
    for (std::size_t i = 0; i < 7; ++i) {
      out.push_back(i < line.size() ? static_cast<std::uint8_t>(line[i]) : ' ');
    }
  }
  for (std::uint8_t dp : decimal_points) out.push_back(dp);
  out.push_back(indicators_a);
  out.push_back(indicators_b);
  return out;
}

}  // namespace keldaro::sim
