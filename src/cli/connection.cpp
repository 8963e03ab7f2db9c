#include "cli/connection.h"

#include "cli/cli_verbs.h"
#include "cli/verb.h"

namespace keldaro::cli {

Connection::Connection(const CliOptions& options, std::ostream& err)
    : notifier_(err), session_(notifier_) {
  if (options.trace) {
    trace_ = std::make_unique<LineTrace>(err);
    session_.SetLineTap(
        [this](LineDirection d, const std::uint8_t* b, std::size_t n) { trace_->Record(d, b, n); });
  }
  session_.SetStatusCallback([this](std::uint8_t s) { status_ = s; });
  session_.SetReadTimeout(std::chrono::milliseconds(options.timeout_ms));
  // Ctrl-C cuts a wait on a silent scale short instead of sitting out every try's time-out.
  session_.SetStopCheck(StopRequested);
  connected_ = session_.Connect(PortNamed(options.port), options.baud, identity_);
}

ReadingRun::ReadingRun(ScaleSession& session, bool verify, std::ostream& err)
    : session_(session), err_(err), run_(session, verify) {}

ReadingRun::~ReadingRun() {
  const AgreedReads& reads = session_.reads();
  if (reads.Damaged() == 0 && !reads.Verifying()) return;
  err_ << (reads.Damaged() > 0
               ? "line damage: " + std::to_string(reads.Damaged()) + " damaged replies refused"
               : std::string("no damaged replies"))
       << (reads.Verifying() ? ", records read twice" : "") << '\n';
}

// Only on the program's own stderr: a port's held-back output (several ports at once) would
// fill up with carriage returns.
CliProgress::CliProgress(std::ostream& err) : err_(err), show_(OnTerminal(err)) {}

bool CliProgress::Running() const { return !StopRequested(); }

void CliProgress::Advance(int, const QString& label) {
  if (show_) err_ << '\r' << label.toStdString() << std::flush;
}

void CliProgress::End() {
  if (show_) err_ << '\n';
}

}  // namespace keldaro::cli
