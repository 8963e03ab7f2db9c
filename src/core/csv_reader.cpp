#include "core/csv_reader.h"

namespace keldaro {
namespace {

constexpr QChar kQuote = u'"';
constexpr QChar kByteOrderMark = QChar(0xFEFF);

// How many characters the line break at `at` takes: 2 for CR LF, 1 for LF or a lone CR, 0 when
// `at` holds no line break.
qsizetype LineBreakAt(QStringView text, qsizetype at) {
  if (at >= text.size()) return 0;
  if (text[at] == u'\n') return 1;
  if (text[at] != u'\r') return 0;
  return at + 1 < text.size() && text[at + 1] == u'\n' ? 2 : 1;
}

class Reader {
 public:
  Reader(QStringView text, QChar delimiter) : text_(text), delimiter_(delimiter) {}

  CsvReadResult ReadAll() {
    CsvReadResult result;
    if (text_.startsWith(kByteOrderMark)) at_ = 1;
    while (at_ < text_.size()) {
      if (const qsizetype line_break = LineBreakAt(text_, at_); line_break > 0) {
        at_ += line_break;  // an empty line holds no record
        ++line_;
        continue;
      }
      CsvRecord record{line_, {}};
      if (!ReadRecord(record.fields)) {
        result.failed_line = failed_line_;
        result.failure = failure_;
        break;
      }
      result.records.push_back(std::move(record));
    }
    return result;
  }

 private:
  // The fields up to and including the line break that ends them.
  bool ReadRecord(std::vector<QString>& fields) {
    for (;;) {
      QString field;
      if (at_ < text_.size() && text_[at_] == kQuote) {
        if (!ReadQuoted(field)) return false;
      } else {
        ReadPlain(field);
      }
      fields.push_back(std::move(field));
      if (at_ < text_.size() && text_[at_] == delimiter_) {
        ++at_;  // a delimiter at the end of the line leaves one more, empty field
        continue;
      }
      if (const qsizetype line_break = LineBreakAt(text_, at_); line_break > 0) {
        at_ += line_break;
        ++line_;
      }
      return true;
    }
  }

  void ReadPlain(QString& field) {
    // A quote inside an unquoted field is taken as it stands, as spreadsheets do.
    while (at_ < text_.size() && text_[at_] != delimiter_ && LineBreakAt(text_, at_) == 0) {
      field += text_[at_++];
    }
  }

  bool ReadQuoted(QString& field) {
    const int opened_on = line_;
    ++at_;
    for (;;) {
      if (at_ >= text_.size()) {
        return Fail(opened_on, QStringLiteral("a quoted field opened here is never closed"));
      }
      const QChar c = text_[at_];
      if (c == kQuote && at_ + 1 < text_.size() && text_[at_ + 1] == kQuote) {
        field += kQuote;
        at_ += 2;
        continue;
      }
      if (c == kQuote) {
        ++at_;
        break;
      }
      // Line breaks inside the quotes are the field's own; the line count goes on.
      if (c == u'\n' || (c == u'\r' && LineBreakAt(text_, at_) == 1)) ++line_;
      field += c;
      ++at_;
    }
    if (at_ < text_.size() && text_[at_] != delimiter_ && LineBreakAt(text_, at_) == 0) {
      return Fail(line_, QStringLiteral("\"%1\" follows a closing quote; a field's quotes must "
                                        "enclose all of it")
                             .arg(text_[at_]));
    }
    return true;
  }

  bool Fail(int line, const QString& failure) {
    failed_line_ = line;
    failure_ = failure;
    return false;
  }

  QStringView text_;
  QChar delimiter_;
  qsizetype at_ = 0;
  int line_ = 1;
  int failed_line_ = 0;
  QString failure_;
};

}  // namespace

CsvReadResult ReadCsv(QStringView text, QChar delimiter) {
  return Reader(text, delimiter).ReadAll();
}

}  // namespace keldaro
