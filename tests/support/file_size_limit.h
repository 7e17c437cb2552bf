#pragma once
// Makes writes fail as on a full disk while it lives: files of this process may not grow
// beyond `bytes` (a limit that holds for root too), and the signal of an over-long write is
// ignored so that the write returns an error instead. Windows has no such limit: a test that
// needs one starts with DVDSP_NEEDS_FILE_SIZE_LIMIT(), which skips it there.
#ifdef _WIN32

#define DVDSP_NEEDS_FILE_SIZE_LIMIT() \
    GTEST_SKIP() << "a full disk is made with a file size limit, which Windows has not"

namespace dvdsp::testing {
class FileSizeLimit {
  public:
    explicit FileSizeLimit(unsigned long long) {}
};
}  // namespace dvdsp::testing

#else
#include <sys/resource.h>

#include <csignal>

#define DVDSP_NEEDS_FILE_SIZE_LIMIT() (void)0

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
#endif
