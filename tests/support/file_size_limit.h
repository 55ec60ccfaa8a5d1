// Makes every file write of the process fail beyond a few bytes (as on a full disk), for as
// long as the object lives. Works for every user, root included.
#pragma once

#include <sys/resource.h>

#include <csignal>

namespace quorvex::testing {

class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes = 16) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    // Writing past the limit raises SIGXFSZ, which would end the process.
    previous_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, previous_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit saved_{};
  void (*previous_)(int) = nullptr;
};

}  // namespace quorvex::testing
