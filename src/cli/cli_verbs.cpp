#include "cli/cli_verbs.h"

#include <unistd.h>

#include <QDateTime>
#include <QLocale>
#include <atomic>
#include <charconv>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>

#include "cli/cli_options.h"
#include "cli/line_trace.h"
#include "cli/stderr_notifier.h"
#include "core/atomic_file.h"
#include "core/conversion_error.h"
#include "core/cp1254.h"
#include "link/scale_session.h"
#include "plu/plu_file.h"
#include "plu/plu_transfer.h"

namespace keldaro::cli {
namespace {

std::atomic<bool> stop_requested{false};

QChar DecimalSeparator() { return QLocale::system().decimalPoint().at(0); }

// Progress of a PLU run on stderr (only when it is a terminal); Ctrl-C stops the run.
class CliProgress : public plu::TransferProgress {
 public:
  explicit CliProgress(std::ostream& err) : err_(err), show_(::isatty(STDERR_FILENO) != 0) {}
  void Begin(int) override { stop_requested = false; }
  bool Running() const override { return !stop_requested; }
  void Advance(int, const QString& label) override {
    if (show_) err_ << '\r' << label.toStdString() << std::flush;
  }
  void End() override {
    if (show_) err_ << '\n';
  }

 private:
  std::ostream& err_;
  bool show_;
};

// One connected scale for the duration of a verb, with the line trace when asked for.
class Connection {
 public:
  Connection(const CliOptions& options, std::ostream& err) : notifier_(err), session_(notifier_) {
    if (options.trace) {
      trace_ = std::make_unique<LineTrace>(err);
      session_.packet().Port().SetTap([this](LineDirection d, const std::uint8_t* b,
                                             std::size_t n) { trace_->Record(d, b, n); });
    }
    session_.SetStatusCallback([this](std::uint8_t s) { status_ = s; });
    const int com = ComPortNumber(options.port);
    connected_ = com > 0 ? session_.Connect(com, options.baud, identity_)
                         : session_.ConnectDevice(options.port, options.baud, identity_);
  }
  bool connected() const { return connected_; }
  ScaleSession& session() { return session_; }
  const std::string& identity() const { return identity_; }
  std::uint8_t status() const { return status_; }

 private:
  StderrNotifier notifier_;
  ScaleSession session_;
  std::unique_ptr<LineTrace> trace_;
  std::string identity_;
  std::uint8_t status_ = 0;
  bool connected_ = false;
};

bool ParseNumber(const std::string& text, int& value, int base = 10) {
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value, base);
  return ec == std::errc() && ptr == end && !text.empty();
}

int Usage(std::ostream& err, const std::string& reason) {
  err << "keldaro-cli: " << reason << '\n' << kUsage;
  return kExitBadInput;
}

std::string Hex(const std::uint8_t* bytes, std::size_t count) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string text;
  for (std::size_t i = 0; i < count; ++i) {
    if (i > 0) text.push_back(' ');
    text.push_back(kHex[bytes[i] >> 4]);
    text.push_back(kHex[bytes[i] & 0x0F]);
  }
  return text;
}

int Identify(const CliOptions& options, std::ostream& out, std::ostream& err) {
  if (options.verb.size() != 1) return Usage(err, "identify takes no arguments");
  Connection link(options, err);
  if (!link.connected()) return kExitLinkFailure;
  out << "Terazi ID: " << FromCp1254(link.identity()).toStdString() << '\n'
      << StatusText(link.status()) << '\n';
  return kExitOk;
}

int Raw(const CliOptions& options, std::ostream& out, std::ostream& err) {
  int code = 0;
  if (options.verb.size() < 2 || !ParseNumber(options.verb[1], code) || code < 0 || code > 255) {
    return Usage(err, "raw needs a command code from 0 to 255");
  }
  std::vector<std::uint8_t> payload;
  for (std::size_t i = 2; i < options.verb.size(); ++i) {
    int b = 0;
    if (options.verb[i].size() > 2 || !ParseNumber(options.verb[i], b, 16)) {
      return Usage(err, "'" + options.verb[i] + "' is not a hex byte");
    }
    payload.push_back(static_cast<std::uint8_t>(b));
  }
  if (payload.size() > 255) return Usage(err, "a request holds at most 255 payload bytes");
  Connection link(options, err);
  if (!link.connected()) return kExitLinkFailure;
  Packet& packet = link.session().packet();
  packet.Clear();
  for (std::uint8_t b : payload) packet.PushByte(b);
  // raw takes a reply of any size.
  if (!link.session().ExecuteCommand(static_cast<std::uint8_t>(code), ReplySize::Any())) {
    return kExitLinkFailure;
  }
  // The reply body from the status byte up to the byte before the checksum.
  const std::size_t length = packet.ReplyLength() > 0 ? packet.ReplyLength() - 1 : 0;
  out << Hex(packet.ReplyArea().data(), length) << '\n';
  return kExitOk;
}

// --first N --last M [--out FILE] after "plu read|write [FILE]".
struct PluArguments {
  plu::PluRange range;
  std::string file;  // --out for read, the positional FILE for write
};

std::optional<PluArguments> ParsePluArguments(const std::vector<std::string>& verb,
                                              bool positional_file, std::string& error) {
  PluArguments parsed;
  std::size_t i = 2;
  if (positional_file) {
    if (verb.size() < 3 || verb[2].rfind("--", 0) == 0) {
      error = "plu write needs a FILE";
      return std::nullopt;
    }
    parsed.file = verb[i++];
  }
  for (; i < verb.size(); ++i) {
    const std::string& flag = verb[i];
    if (i + 1 >= verb.size()) {
      error = flag + " needs a value";
      return std::nullopt;
    }
    const std::string& value = verb[++i];
    if (flag == "--out" && !positional_file) {
      parsed.file = value;
    } else if ((flag == "--first" && ParseNumber(value, parsed.range.first)) ||
               (flag == "--last" && ParseNumber(value, parsed.range.last))) {
    } else {
      error = "bad argument " + flag + " " + value;
      return std::nullopt;
    }
  }
  if (!plu::IsValidRange(parsed.range)) {
    error = plu::InvalidRangeText(parsed.range).toStdString();
    return std::nullopt;
  }
  return parsed;
}

int PluRead(const CliOptions& options, std::ostream& out, std::ostream& err) {
  std::string error;
  const auto args = ParsePluArguments(options.verb, false, error);
  if (!args) return Usage(err, error);
  Connection link(options, err);
  if (!link.connected()) return kExitLinkFailure;
  plu::PluSheet sheet;
  CliProgress progress(err);
  const QChar separator = DecimalSeparator();
  // A table that did not arrive whole is not written: a partial file would pass for the scale's.
  if (!plu::ReadRange(link.session(), sheet, args->range, progress, separator)) {
    return kExitLinkFailure;
  }
  const std::string file =
      plu::SavePluFile(sheet, plu::CreatedStamp(QDateTime::currentDateTime(), QLocale::system()));
  if (args->file.empty()) {
    out << file << std::flush;
    return kExitOk;
  }
  QString why;
  if (!WriteFileAtomically(QString::fromStdString(args->file), file, &why)) {
    err << "ERROR! I/O Error!: " << why.toStdString() << '\n';
    return kExitBadInput;
  }
  return kExitOk;
}

int PluWrite(const CliOptions& options, std::ostream& err) {
  std::string error;
  const auto args = ParsePluArguments(options.verb, true, error);
  if (!args) return Usage(err, error);
  std::ifstream in(args->file, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (!in) {
    err << "ERROR! I/O Error!: cannot read " << args->file << '\n';
    return kExitBadInput;
  }
  plu::PluSheet sheet;
  const QChar separator = DecimalSeparator();
  const plu::PluLoadResult loaded = plu::LoadPluFile(bytes.str(), sheet, separator);
  if (loaded.failed_line > 0) {
    err << "ERROR! error in input file: line " << loaded.failed_line << '\n';
    return kExitBadInput;
  }
  if (loaded.ignored_lines > 0) {
    err << "warning: the grid holds 1801 records; " << loaded.ignored_lines
        << " record lines after them were not loaded\n";
  }
  Connection link(options, err);
  if (!link.connected()) return kExitLinkFailure;
  CliProgress progress(err);
  try {
    return plu::SendRange(link.session(), sheet, args->range, progress, separator)
               ? kExitOk
               : kExitLinkFailure;
  } catch (const ConversionError& e) {
    err << e.message().toStdString() << '\n';
    return kExitBadInput;
  }
}

}  // namespace

void RequestStop() { stop_requested = true; }

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  std::string error;
  const auto options = ParseCliOptions(args, error);
  if (!options) return Usage(err, error);
  const std::vector<std::string>& verb = options->verb;
  if (verb[0] == "identify") return Identify(*options, out, err);
  if (verb[0] == "raw") return Raw(*options, out, err);
  if (verb[0] == "plu" && verb.size() >= 2 && verb[1] == "read") return PluRead(*options, out, err);
  if (verb[0] == "plu" && verb.size() >= 2 && verb[1] == "write") return PluWrite(*options, err);
  if (verb[0] == "--help" || verb[0] == "help") {
    out << kUsage;
    return kExitOk;
  }
  return Usage(err, "unknown verb '" + verb[0] + "'");
}

}  // namespace keldaro::cli
