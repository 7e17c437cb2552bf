#pragma once
// Makes writes fail as on a full disk while it lives: files of this process may not grow
// beyond `bytes` (a limit that holds for root too), and the signal of an over-long write is
// ignored so that the write returns an error instead.
#include <sys/resource.h>

#include <csignal>

namespace dvdsp::testing {

class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    rlimit old_{};
    void (*oldHandler_)(int) = SIG_DFL;
};

}  // namespace dvdsp::testing
