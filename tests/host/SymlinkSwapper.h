// Another user's program in a shared output folder: whenever a file there is closed after
// writing, created or removed (the events asked for), a symlink to someone else's file takes its
// name at once.
#pragma once
#include <sys/inotify.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <thread>

namespace host_test {

class SymlinkSwapper {
public:
    SymlinkSwapper(std::filesystem::path folder, std::filesystem::path victim, uint32_t events)
        : folder_(std::move(folder)), victim_(std::move(victim)) {
        fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        inotify_add_watch(fd_, folder_.c_str(), events);
        thread_ = std::thread([this] { Run(); });
    }
    ~SymlinkSwapper() {
        stop_ = true;
        thread_.join();
        ::close(fd_);
    }
    SymlinkSwapper(const SymlinkSwapper&) = delete;
    SymlinkSwapper& operator=(const SymlinkSwapper&) = delete;

private:
    void Run() {
        namespace fs = std::filesystem;
        alignas(inotify_event) char buffer[4096];
        while (!stop_) {
            const ssize_t n = ::read(fd_, buffer, sizeof buffer);
            if (n <= 0) {
                std::this_thread::yield();
                continue;
            }
            for (char* p = buffer; p < buffer + n;) {
                const auto* e = reinterpret_cast<const inotify_event*>(p);
                p += sizeof(inotify_event) + e->len;
                if (e->len == 0) continue;
                const fs::path file = folder_ / e->name;
                std::error_code ec;
                const auto status = fs::symlink_status(file, ec);
                if (fs::is_regular_file(status)) fs::remove(file, ec);
                else if (fs::exists(status)) continue;
                fs::create_symlink(victim_, file, ec);
            }
        }
    }
    std::filesystem::path folder_, victim_;
    int fd_ = -1;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace host_test
