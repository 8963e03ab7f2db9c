// One connected scale for the duration of a verb, with the line trace when asked for; and the
// progress of a run on stderr.
#pragma once

#include <memory>
#include <ostream>
#include <string>

#include "cli/cli_options.h"
#include "cli/line_trace.h"
#include "cli/stderr_notifier.h"
#include "link/scale_session.h"
#include "transfer/transfer_progress.h"

namespace keldaro::cli {

class Connection {
 public:
  Connection(const CliOptions& options, std::ostream& err);
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

// The help of the reading verbs' --verify flag.
inline constexpr const char* kVerifyReadsHelp =
    "read each record until two reads agree (done on its own once the line shows damage)";

// A reading verb's run over the link (a ReadRun: every read checked against line damage, from
// the first read with `verify`). When it ends, a last line on stderr says what a damaged line
// cost, so that a run saved by re-reading is not taken for a clean one; a clean line without
// `verify` adds nothing.
class ReadingRun {
 public:
  ReadingRun(ScaleSession& session, bool verify, std::ostream& err);
  ~ReadingRun();
  ReadingRun(const ReadingRun&) = delete;
  ReadingRun& operator=(const ReadingRun&) = delete;

 private:
  ScaleSession& session_;
  std::ostream& err_;
  ReadRun run_;
};

// The run's progress label on stderr when it is a terminal; Ctrl-C (RequestStop) stops the run.
class CliProgress : public transfer::TransferProgress {
 public:
  explicit CliProgress(std::ostream& err);
  void Begin(int) override {}
  bool Running() const override;
  void Advance(int position, const QString& label) override;
  void End() override;

 private:
  std::ostream& err_;
  bool show_;
};

}  // namespace keldaro::cli
