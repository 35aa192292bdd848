#include "bill/ImportFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <stdexcept>

#include "bill/CsvReader.h"
#include "bill/TextEncoding.h"
#include "bill/XlsxReader.h"

namespace bill {
namespace {

struct FileDescriptor {
    int fd;
    explicit FileDescriptor(int f) : fd(f) {}
    ~FileDescriptor() {
        if (fd >= 0) ::close(fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
};

}  // namespace

std::vector<ImportRow> ImportFile::Read(const std::string& path) {
    // Without O_NONBLOCK, opening a FIFO would wait for a writer; the type is then checked on
    // what was opened, not on the name.
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (file.fd < 0) throw std::runtime_error("无法打开文件: " + path);
    struct stat st {};
    if (::fstat(file.fd, &st) != 0) throw std::runtime_error("无法读取文件: " + path);
    if (!S_ISREG(st.st_mode)) throw std::runtime_error("不是普通文件，不能导入: " + path);
    const std::string tooLarge = "文件超过" + std::to_string(kMaxFileSize >> 20) + "MB，不能导入: " + path;
    if (static_cast<std::uint64_t>(st.st_size) > kMaxFileSize) throw std::runtime_error(tooLarge);
    // The file may grow while it is read: one byte more than the limit is enough to know.
    std::string bytes(static_cast<size_t>(st.st_size) + 1, '\0');
    size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(file.fd, bytes.data() + got, std::min<size_t>(bytes.size() - got, 1u << 20));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw std::runtime_error("无法读取文件: " + path);
        if (n == 0) break;
        got += static_cast<size_t>(n);
        if (got == bytes.size() && got <= kMaxFileSize) bytes.resize(std::min(kMaxFileSize + 1, bytes.size() * 2));
    }
    if (got > kMaxFileSize) throw std::runtime_error(tooLarge);
    bytes.resize(got);
    RowPicker picker;
    Parse(std::move(bytes), picker);
    return picker.Take();
}

void ImportFile::Parse(std::string bytes, SheetSink& sink) {
    if (bytes.compare(0, 4, "PK\x03\x04") == 0) return XlsxReader::Read(std::move(bytes), sink);
    if (bytes.compare(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1") == 0)
        throw std::runtime_error("不支持旧的.xls格式，请在表格程序中另存为.xlsx或CSV文件");
    CsvReader csv(sink);
    DecodeText(bytes, [&](std::string_view piece) { csv.Feed(piece); });
    csv.Finish();
}

}  // namespace bill
