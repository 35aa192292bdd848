// A full disk for one scope: RLIMIT_FSIZE lowered, SIGXFSZ ignored, so that a write past `bytes`
// fails with EFBIG as a write to a full file system fails with ENOSPC. Reads, and writes below
// the limit, go on as before; both are restored at the end of the scope.
#pragma once
#include <signal.h>
#include <sys/resource.h>

#include <cstddef>

namespace testing_support {

class FileSizeLimit {
public:
    explicit FileSizeLimit(std::size_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = saved_;
        lowered.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        signal(SIGXFSZ, previous_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
    sighandler_t previous_ = SIG_DFL;
};

}  // namespace testing_support
