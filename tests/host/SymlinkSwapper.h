// Another user in a shared output folder: on each of the events asked for, a symlink to someone
// else's file takes the file's name at once.
#pragma once
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <thread>

namespace host_test {

class SymlinkSwapper {
public:
    SymlinkSwapper(std::filesystem::path folder, std::filesystem::path victim, uint32_t events)
        : folder_(std::move(folder)), victim_(std::move(victim)), fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        inotify_add_watch(fd_, folder_.c_str(), events);
        thread_ = std::thread([this] {
            alignas(inotify_event) char buffer[4096];
            while (!stop_) {
                const ssize_t n = ::read(fd_, buffer, sizeof buffer);
                if (n <= 0) std::this_thread::yield();
                for (char* p = buffer; p < buffer + std::max<ssize_t>(n, 0);) {
                    const auto* e = reinterpret_cast<const inotify_event*>(p);
                    p += sizeof(inotify_event) + e->len;
                    if (e->len == 0) continue;
                    std::error_code ec;
                    const auto file = folder_ / e->name;
                    const auto status = std::filesystem::symlink_status(file, ec);
                    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) continue;
                    std::filesystem::remove(file, ec);
                    std::filesystem::create_symlink(victim_, file, ec);
                }
            }
        });
    }
    ~SymlinkSwapper() {
        stop_ = true;
        thread_.join();
        ::close(fd_);
    }
    SymlinkSwapper(const SymlinkSwapper&) = delete;
    SymlinkSwapper& operator=(const SymlinkSwapper&) = delete;

private:
    std::filesystem::path folder_, victim_;
    int fd_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace host_test
