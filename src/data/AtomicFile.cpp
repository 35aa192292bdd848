#include "data/AtomicFile.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

namespace data {
namespace {

// The process's umask without changing it (umask(2) can only be read by setting it, which races
// with other threads creating files).
mode_t CurrentUmask() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("Umask:", 0) == 0) return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8) & 0777);
    return 022;
}

std::string RandomSuffix() {
    static const char* digits = "abcdefghijklmnopqrstuvwxyz0123456789";
    unsigned char bytes[12];
    if (getrandom(bytes, sizeof bytes, 0) != static_cast<ssize_t>(sizeof bytes)) {
        // Only the name's guessability suffers; O_EXCL still refuses anything planted.
        for (size_t i = 0; i < sizeof bytes; ++i) bytes[i] = static_cast<unsigned char>(std::rand());
    }
    std::string s;
    for (unsigned char b : bytes) s += digits[b % 36];
    return s;
}

}  // namespace

std::string FileErrorText(int error) {
    switch (error) {
        case 0: return {};
        case ENOSPC: return "磁盘空间已满";
        case EDQUOT: return "超出磁盘配额";
        case EFBIG: return "文件超过允许的大小";
        case EACCES:
        case EPERM: return "没有写入权限";
        case EROFS: return "文件系统只读";
        case EEXIST: return "文件已存在";
        case ELOOP: return "路径中有符号链接";
        case ENOENT:
        case ENOTDIR: return "文件夹不存在";
        case EIO: return "读写错误";
        case ENAMETOOLONG: return "文件名太长";
        case ESTALE: return "文件在写入时被替换";
        default: return std::strerror(error);
    }
}

AtomicFile::AtomicFile(std::string path, Existing existing, mode_t mode)
    : path_(std::move(path)), existing_(existing), mode_(mode) {
    const size_t slash = path_.find_last_of('/');
    folder_ = slash == std::string::npos ? "." : slash == 0 ? "/" : path_.substr(0, slash);
    if (slash != std::string::npos && slash + 1 == path_.size()) {
        Fail(EISDIR);
        return;
    }
    dirFd_ = ::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd_ < 0) {
        Fail(errno);
        return;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = ".spb-" + RandomSuffix() + ".tmp";
        fd_ = ::openat(dirFd_, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd_ >= 0) {
            temp_ = std::move(name);
            return;
        }
        if (errno != EEXIST) break;
    }
    Fail(errno);
}

AtomicFile::~AtomicFile() { Discard(); }

std::string AtomicFile::ErrorText() const { return FileErrorText(error_); }

bool AtomicFile::Fail(int error) {
    if (error_ == 0) error_ = error == 0 ? EIO : error;
    return false;
}

void AtomicFile::Discard() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!committed_ && !temp_.empty() && dirFd_ >= 0) ::unlinkat(dirFd_, temp_.c_str(), 0);
    temp_.clear();
    if (dirFd_ >= 0) ::close(dirFd_);
    dirFd_ = -1;
}

bool AtomicFile::Write(const void* data, size_t size) {
    if (!Ok() || fd_ < 0) return Fail(EBADF);
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd_, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            Fail(n < 0 ? errno : ENOSPC);
            Discard();
            return false;
        }
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool AtomicFile::Close() {
    struct stat st{};
    if (::fchmod(fd_, mode_ & ~CurrentUmask()) != 0 || ::fsync(fd_) != 0 || ::fstat(fd_, &st) != 0) {
        Fail(errno);
        return false;
    }
    dev_ = st.st_dev;
    ino_ = st.st_ino;
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) return Fail(errno);
    return true;
}

bool AtomicFile::Commit(const std::string& name) {
    if (error_ == EEXIST && fd_ < 0 && !temp_.empty()) error_ = 0;  // another name after a taken one
    if (!Ok() || committed_ || temp_.empty()) return Fail(EBADF);
    if (fd_ >= 0 && !Close()) {
        Discard();
        return false;
    }
    const std::string target = name.empty() ? path_.substr(path_.find_last_of('/') + 1) : name;
    if (target.empty() || target.find('/') != std::string::npos) {
        Discard();
        return Fail(EINVAL);
    }
    int done;
    if (existing_ == Existing::Replace) {
        done = ::renameat(dirFd_, temp_.c_str(), dirFd_, target.c_str());
    } else {
        done = ::renameat2(dirFd_, temp_.c_str(), dirFd_, target.c_str(), RENAME_NOREPLACE);
        if (done != 0 && (errno == EINVAL || errno == ENOSYS)) {
            // A file system without RENAME_NOREPLACE: a hard link fails on a taken name as well.
            done = ::linkat(dirFd_, temp_.c_str(), dirFd_, target.c_str(), 0);
            if (done == 0) ::unlinkat(dirFd_, temp_.c_str(), 0);
        }
    }
    if (done != 0) {
        const int error = errno;
        Fail(error);
        if (error != EEXIST) Discard();
        return false;
    }
    temp_.clear();
    committed_ = true;
    ::fsync(dirFd_);  // the rename itself on disk; the file's bytes are synced already
    // The temporary name was ours only by convention: what now stands at the target must be the
    // file written through our descriptor.
    struct stat st{};
    if (Ok() && (::fstatat(dirFd_, target.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || st.st_dev != dev_ || st.st_ino != ino_))
        Fail(ESTALE);
    path_ = (folder_ == "/" ? "" : folder_) + "/" + target;
    if (folder_ == "." && path_.rfind("./", 0) == 0) path_.erase(0, 2);
    ::close(dirFd_);
    dirFd_ = -1;
    return Ok();
}

std::string CsvCell(std::string_view s) {
    std::string cell;
    const bool formula = !s.empty() && std::strchr("=+-@\t\r", s.front()) != nullptr;
    if (formula) {
        // A plain number ("-1", "+2.5") stays a number; anything else is shown as text.
        size_t i = 1, digits = 0;
        bool dot = false;
        for (; i < s.size(); ++i) {
            if (s[i] >= '0' && s[i] <= '9') ++digits;
            else if (s[i] == '.' && !dot) dot = true;
            else break;
        }
        const bool number = (s.front() == '-' || s.front() == '+') && digits > 0 && i == s.size();
        if (!number) cell = "'";
    }
    cell.append(s);
    if (cell.find_first_of(",\"\r\n") == std::string::npos && (cell.empty() || (cell.front() != ' ' && cell.back() != ' ')))
        return cell;
    std::string quoted = "\"";
    for (char c : cell) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

}  // namespace data
