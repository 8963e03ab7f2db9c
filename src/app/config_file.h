// The configuration file: the main window's text fields, combo boxes, date/time field and
// multi-line boxes, remembered from one run to the next by their control numbers.
//
// Layout, single-byte code page 1254 with CR LF line ends, one item per line:
//   <caption> !DO NOT EDIT!
//   141
//   text fields:     number, text                     ... then 60002
//   combo boxes:     number, item index (-1: none), text ... then 60002
//   masked field:    number, text                     ... then 60002
//   multi-line boxes: number, line count n, n lines   ... then 60002
//   60001
// Each section lists its entries in rising control number.
//
// Reading never trusts the file: it stops quietly at the first thing out of place and keeps
// the entries read before it. Neither reading nor writing shows a message itself: the window
// says a failed save, and passes over a configuration file that is not a regular file.
#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <array>
#include <map>
#include <string>
#include <string_view>

namespace keldaro::app {

// Control numbers of the main window: each component's place in the window's list of 141.
inline constexpr int kComponentCount = 141;
inline constexpr int kMemo1 = 51;       // receipt header lines
inline constexpr int kComboBox4 = 52;   // the scale's line speed
inline constexpr int kEdit1 = 56;       // product barcode format
inline constexpr int kEdit2 = 57;       // amount barcode format
inline constexpr int kMemo2 = 67;       // receipt footer lines
inline constexpr int kEdit8 = 68;       // "Tezgahtar 4"
inline constexpr int kEdit7 = 69;       // "Tezgahtar 3"
inline constexpr int kEdit6 = 70;       // "Tezgahtar 2"
inline constexpr int kEdit3 = 71;       // "Tezgahtar 1"
inline constexpr int kComboBox3 = 72;   // operating mode
inline constexpr int kMaskEdit1 = 73;   // date and time
inline constexpr int kComboBox8 = 80;   // printer contrast
inline constexpr int kEdit9 = 81;       // currency
inline constexpr int kComboBox5 = 105;  // "Capacity"
inline constexpr int kComboBox6 = 108;  // "e=d="
inline constexpr int kEdit4 = 113;      // "Max Tare"
inline constexpr int kComboBox7 = 115;  // "price round"
inline constexpr int kComboBox9 = 126;  // "Stbale Count"
inline constexpr int kComboBox1 = 130;  // the PC's line speed
inline constexpr int kComboBox2 = 131;  // COM port
inline constexpr int kEdit5 = 132;      // station address

// The controls the file remembers, by kind, in rising number.
inline constexpr std::array<int, 9> kSavedTextFields = {kEdit1, kEdit2, kEdit8, kEdit7, kEdit6,
                                                        kEdit3, kEdit9, kEdit4, kEdit5};
inline constexpr std::array<int, 9> kSavedComboBoxes = {kComboBox4, kComboBox3, kComboBox8,
                                                        kComboBox5, kComboBox6, kComboBox7,
                                                        kComboBox9, kComboBox1, kComboBox2};
inline constexpr std::array<int, 1> kSavedMaskedFields = {kMaskEdit1};
inline constexpr std::array<int, 2> kSavedMultiLineBoxes = {kMemo1, kMemo2};

// The longest line the file holds, in bytes (a line edit's longest text). The writer cuts
// longer texts there; the reader stops at a longer line.
inline constexpr std::size_t kMaxLineBytes = 32767;

struct ComboEntry {
  // The selected item as read (-1: none). The reader does not know the box's items: whoever
  // fills the box skips an index it does not have.
  int index = -1;
  QString text;  // shown after the selection is made
  bool operator==(const ComboEntry&) const = default;
};

// What the file holds, by control number. A number that appears twice keeps its later entry,
// as it would in the control. A section may name any control number: whoever fills the
// controls takes only the numbers of that section's kind and passes over the rest.
struct ConfigEntries {
  std::map<int, QString> text_fields;
  std::map<int, ComboEntry> combo_boxes;
  std::map<int, QString> masked_fields;
  std::map<int, QStringList> multi_line_boxes;
  bool operator==(const ConfigEntries&) const = default;
};

// Why the reading stopped.
enum class ConfigReadEnd {
  kComplete,     // the end marker (60001, or 60002 after the multi-line section)
  kOtherHeader,  // a header line written under another caption (or none): nothing read
  kOtherCount,   // a component count other than 141: nothing read
  kEndOfFile,    // the file ended inside a section; an entry cut short is dropped
  kBadLine,      // a number, item index or line count that is not a whole number, a control
                 // number outside 0..140, an index outside int, a negative line count, or a
                 // line longer than kMaxLineBytes
};

struct ConfigReading {
  ConfigEntries entries;  // the entries read before the reading stopped
  ConfigReadEnd end = ConfigReadEnd::kComplete;
};

// The file's bytes. Texts go out in code page 1254 ('?' for a character it lacks), cut at
// their first line break (a line edit holds one line) and at kMaxLineBytes; a multi-line box's
// line that holds line breaks is written as the several lines it shows. Numbers outside 0..140
// are left out, so that the file always reads back whole.
std::string WriteConfig(const ConfigEntries& entries, QStringView caption);

// Reads the file's bytes; `caption` is the main window's caption the header line must carry.
// A line ends at CR LF, LF or a lone CR.
ConfigReading ReadConfig(std::string_view bytes, QStringView caption);

// keldaro.CFG in the user's configuration folder.
QString ConfigFilePath(const QString& config_folder);

// Why the file at `path` must be neither read nor written: it exists and is not a regular file
// (a FIFO, a device, a folder), on which reading or writing could wait for ever; empty when it
// is a regular file or missing.
QString ConfigFileSkipReason(const QString& path);

// Writes the file in one step, creating its folder first: a write that fails leaves the old
// file as it was. False, with the reason in `error` when given, when it could not be written.
bool SaveConfigFile(const QString& path, const ConfigEntries& entries, QStringView caption,
                    QString* error = nullptr);

// The entries of the file at `path` (of its first 16 MiB); none when it is missing or
// unreadable.
ConfigEntries LoadConfigFile(const QString& path, QStringView caption);

}  // namespace keldaro::app
