#include "app/config_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <limits>
#include <optional>

#include "core/atomic_file.h"
#include "core/cp1254.h"
#include "core/integer_text.h"

namespace keldaro::app {
namespace {

constexpr long long kSectionEnd = 60002;
constexpr long long kFileEnd = 60001;
constexpr std::string_view kCrLf = "\r\n";
constexpr qint64 kMaxFileBytes = 16 * 1024 * 1024;  // far beyond any file the writer makes

std::string HeaderLine(QStringView caption) {
  return ToCp1254(caption.toString() + QStringLiteral(" !DO NOT EDIT!"));
}

// The lines `text` shows: split at CR LF, LF and lone CR, as the reader splits the file.
QList<QStringView> ShownLines(QStringView text) {
  QList<QStringView> lines;
  qsizetype start = 0;
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] != u'\r' && text[i] != u'\n') continue;
    lines.append(text.mid(start, i - start));
    if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    start = i + 1;
  }
  lines.append(text.mid(start));
  return lines;
}

// ---- writing ----

class Writer {
 public:
  void Number(long long n) { Line(std::to_string(n)); }
  // A text is one line: what follows its first line break is not written.
  void Text(QStringView text) { Line(ToCp1254(ShownLines(text).first())); }
  void Line(std::string line) {
    if (line.size() > kMaxLineBytes) line.resize(kMaxLineBytes);
    out_ += line;
    out_ += kCrLf;
  }
  std::string Take() { return std::move(out_); }

 private:
  std::string out_;
};

bool IsControlNumber(long long n) { return n >= 0 && n < kComponentCount; }

// ---- reading ----

// The file's lines, one at a time, never longer than kMaxLineBytes.
class LineSource {
 public:
  enum class Status { kLine, kEndOfFile, kTooLong };

  explicit LineSource(std::string_view bytes) : rest_(bytes) {}

  Status Next(std::string_view& line) {
    if (rest_.empty()) return Status::kEndOfFile;
    // Looks no further than one byte past the longest line, so a line of megabytes costs
    // no more than a short one.
    const std::size_t end = rest_.substr(0, kMaxLineBytes + 1).find_first_of("\r\n");
    const std::size_t length = end == std::string_view::npos ? rest_.size() : end;
    if (length > kMaxLineBytes) return Status::kTooLong;
    line = rest_.substr(0, length);
    std::size_t consumed = length;
    if (end != std::string_view::npos) {
      const bool cr_lf = rest_[end] == '\r' && end + 1 < rest_.size() && rest_[end + 1] == '\n';
      consumed += cr_lf ? 2 : 1;
    }
    rest_.remove_prefix(consumed);
    return Status::kLine;
  }

 private:
  std::string_view rest_;
};

// Each step either yields its value or returns false with the reason to stop in end().
class Reader {
 public:
  Reader(std::string_view bytes, ConfigEntries& entries) : lines_(bytes), entries_(entries) {}

  ConfigReadEnd Read(QStringView caption) {
    std::string_view line;
    if (!NextLine(line) || line != HeaderLine(caption)) return ConfigReadEnd::kOtherHeader;
    if (!NextLine(line) || ParseInteger(line) != kComponentCount) return ConfigReadEnd::kOtherCount;
    if (auto end = Section(&Reader::TextField)) return *end;
    if (auto end = Section(&Reader::ComboBox)) return *end;
    if (auto end = Section(&Reader::MaskedField)) return *end;
    // After the multi-line section the reading ends at either marker.
    return Section(&Reader::MultiLineBox).value_or(ConfigReadEnd::kComplete);
  }

 private:
  using EntryReader = bool (Reader::*)(int number);

  // Reads entries until the section's 60002 (giving nothing back) or a reason to stop.
  std::optional<ConfigReadEnd> Section(EntryReader entry) {
    for (;;) {
      long long number = 0;
      if (!NextNumber(number)) return end_;
      if (number == kSectionEnd) return std::nullopt;
      if (number == kFileEnd) return ConfigReadEnd::kComplete;
      if (!IsControlNumber(number)) return ConfigReadEnd::kBadLine;
      if (!(this->*entry)(static_cast<int>(number))) return end_;
    }
  }

  // An entry is kept only once all its lines are read.
  bool TextField(int number) {
    QString text;
    if (!NextText(text)) return false;
    entries_.text_fields[number] = text;
    return true;
  }

  bool ComboBox(int number) {
    long long index = 0;
    QString text;
    if (!NextNumber(index)) return false;
    if (index < std::numeric_limits<int>::min() || index > std::numeric_limits<int>::max()) {
      return Stop(ConfigReadEnd::kBadLine);
    }
    if (!NextText(text)) return false;
    entries_.combo_boxes[number] = {static_cast<int>(index), text};
    return true;
  }

  bool MaskedField(int number) {
    QString text;
    if (!NextText(text)) return false;
    entries_.masked_fields[number] = text;
    return true;
  }

  bool MultiLineBox(int number) {
    long long count = 0;
    if (!NextNumber(count)) return false;
    if (count < 0) return Stop(ConfigReadEnd::kBadLine);
    // No room is reserved for `count` lines: an absurd count runs into the end of the file.
    QStringList lines;
    for (long long i = 0; i < count; ++i) {
      QString text;
      if (!NextText(text)) return false;
      lines.append(text);
    }
    entries_.multi_line_boxes[number] = lines;
    return true;
  }

  bool NextLine(std::string_view& line) {
    switch (lines_.Next(line)) {
      case LineSource::Status::kLine:
        return true;
      case LineSource::Status::kEndOfFile:
        return Stop(ConfigReadEnd::kEndOfFile);
      case LineSource::Status::kTooLong:
        return Stop(ConfigReadEnd::kBadLine);
    }
    return Stop(ConfigReadEnd::kBadLine);
  }

  bool NextNumber(long long& number) {
    std::string_view line;
    if (!NextLine(line)) return false;
    const auto parsed = ParseInteger(line);
    if (!parsed) return Stop(ConfigReadEnd::kBadLine);
    number = *parsed;
    return true;
  }

  bool NextText(QString& text) {
    std::string_view line;
    if (!NextLine(line)) return false;
    text = FromCp1254(line);
    return true;
  }

  bool Stop(ConfigReadEnd end) {
    end_ = end;
    return false;
  }

  LineSource lines_;
  ConfigEntries& entries_;
  ConfigReadEnd end_ = ConfigReadEnd::kComplete;
};

}  // namespace

std::string WriteConfig(const ConfigEntries& entries, QStringView caption) {
  Writer out;
  out.Line(HeaderLine(caption));
  out.Number(kComponentCount);
  for (const auto& [number, text] : entries.text_fields) {
    if (!IsControlNumber(number)) continue;
    out.Number(number);
    out.Text(text);
  }
  out.Number(kSectionEnd);
  for (const auto& [number, combo] : entries.combo_boxes) {
    if (!IsControlNumber(number)) continue;
    out.Number(number);
    out.Number(combo.index);
    out.Text(combo.text);
  }
  out.Number(kSectionEnd);
  for (const auto& [number, text] : entries.masked_fields) {
    if (!IsControlNumber(number)) continue;
    out.Number(number);
    out.Text(text);
  }
  out.Number(kSectionEnd);
  for (const auto& [number, lines] : entries.multi_line_boxes) {
    if (!IsControlNumber(number)) continue;
    QList<QStringView> shown;
    for (const QString& line : lines) shown.append(ShownLines(line));
    out.Number(number);
    out.Number(shown.size());
    for (QStringView line : shown) out.Text(line);
  }
  out.Number(kSectionEnd);
  out.Number(kFileEnd);
  return out.Take();
}

ConfigReading ReadConfig(std::string_view bytes, QStringView caption) {
  ConfigReading reading;
  reading.end = Reader(bytes, reading.entries).Read(caption);
  return reading;
}

QString ConfigFilePath(const QString& config_folder) {
  return QDir(config_folder).filePath(QStringLiteral("keldaro.CFG"));
}

QString ConfigFileSkipReason(const QString& path) {
  const QFileInfo file(path);
  if (!file.exists() || file.isFile()) return {};
  return path + QStringLiteral(
                    " is not a regular file (a FIFO, a device or a folder): the settings of "
                    "the window are neither read from it nor saved to it");
}

bool SaveConfigFile(const QString& path, const ConfigEntries& entries, QStringView caption,
                    QString* error) {
  const QString folder = QFileInfo(path).absolutePath();
  if (!QDir().mkpath(folder)) {
    if (error) *error = QStringLiteral("the folder %1 could not be made").arg(folder);
    return false;
  }
  return WriteFileAtomically(path, WriteConfig(entries, caption), error);
}

ConfigEntries LoadConfigFile(const QString& path, QStringView caption) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  const QByteArray bytes = file.read(kMaxFileBytes);
  return ReadConfig(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
                    caption)
      .entries;
}

}  // namespace keldaro::app
