// A file size limit for the life of a scope: a write past `bytes` fails (EFBIG) as a full disk
// fails (ENOSPC), even for root. SIGXFSZ is ignored meanwhile, so the write reports it.
#pragma once

#include <sys/resource.h>

#include <csignal>

namespace keldaro::testing {

class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) : handler_(std::signal(SIGXFSZ, SIG_IGN)) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    const rlimit limited{bytes, saved_.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limited);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, handler_);
  }

 private:
  rlimit saved_{};
  void (*handler_)(int);
};

}  // namespace keldaro::testing
