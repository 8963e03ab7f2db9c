// A file size limit for the life of a scope: writing a file past `bytes` fails with EFBIG, as a
// full disk fails with ENOSPC, even for root. SIGXFSZ is ignored meanwhile, so the write reports
// the failure instead of ending the test.
#pragma once

#include <sys/resource.h>

#include <csignal>

namespace keldaro::testing {

class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) : handler_(std::signal(SIGXFSZ, SIG_IGN)) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    rlimit limited = saved_;
    limited.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limited);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, handler_);
  }

 private:
  rlimit saved_{};
  void (*handler_)(int);
};

}  // namespace keldaro::testing
