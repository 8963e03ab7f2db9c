#include "cli/stop_signals.h"

#include <pthread.h>

#include <atomic>
#include <cerrno>

#include "cli/cli_verbs.h"

namespace keldaro::cli {
namespace {

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Lock-free, so the handler may read it.
std::atomic<LastWords> last_words{nullptr};
static_assert(std::atomic<LastWords>::is_always_lock_free);

sigset_t StopSet() {
  sigset_t set;
  sigemptyset(&set);
  for (int signal : kStopSignals) sigaddset(&set, signal);
  return set;
}

// The signal's own default action (the end of the program), after the last words. The signal
// is blocked while its handler runs, so the raised one is taken when the handler returns.
void EndAtOnce(int signal) {
  if (const LastWords words = last_words.load()) words();
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

void OnStopSignal(int signal) {
  const int saved_errno = errno;
  // A hang-up comes more than once without anyone insisting (from the shell, then from the
  // kernel when the session's leader is gone): only a repeated Ctrl-C or SIGTERM is a user's.
  if (StopRequested() && signal != SIGHUP) {
    EndAtOnce(signal);
  } else {
    RequestStop(signal);
  }
  errno = saved_errno;
}

void OnQuit(int signal) {
  const int saved_errno = errno;
  EndAtOnce(signal);
  errno = saved_errno;
}

void Install(int signal, void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  // One handler at a time. No SA_RESTART: a wait in read() or poll() returns early with EINTR,
  // so a wait on a silent scale is cut short.
  action.sa_mask = StopSet();
  sigaction(signal, &action, nullptr);
}

}  // namespace

void InstallStopSignalHandlers() {
  for (int signal : kStopSignals) Install(signal, OnStopSignal);
  Install(SIGQUIT, OnQuit);
}

void SetLastWords(LastWords words) { last_words = words; }

StopSignalsHeld::StopSignalsHeld() {
  const sigset_t set = StopSet();
  pthread_sigmask(SIG_BLOCK, &set, &saved_);
}

StopSignalsHeld::~StopSignalsHeld() { pthread_sigmask(SIG_SETMASK, &saved_, nullptr); }

bool StopSignalsHeld::Pending() {
  sigset_t pending;
  sigemptyset(&pending);
  if (sigpending(&pending) != 0) return false;
  for (int signal : kStopSignals) {
    if (sigismember(&pending, signal) == 1) return true;
  }
  return false;
}

}  // namespace keldaro::cli
