#include "bill/ZipArchive.h"

#include <zlib.h>

#include <algorithm>
#include <stdexcept>

namespace bill {
namespace {

constexpr std::uint32_t kEndOfDirectory = 0x06054b50;
constexpr std::uint32_t kDirectoryEntry = 0x02014b50;
constexpr std::uint32_t kLocalHeader = 0x04034b50;

[[noreturn]] void Damaged() { throw std::runtime_error("文件不是有效的xlsx文件(压缩结构损坏)"); }

std::uint16_t U16(const std::string& b, size_t at) {
    if (at + 2 > b.size()) Damaged();
    return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8);
}

std::uint32_t U32(const std::string& b, size_t at) {
    return static_cast<std::uint32_t>(U16(b, at)) | static_cast<std::uint32_t>(U16(b, at + 2)) << 16;
}

// Ends an inflate stream whatever happens.
struct InflateStream {
    z_stream z{};
    InflateStream() {
        if (inflateInit2(&z, -MAX_WBITS) != Z_OK) throw std::runtime_error("无法解压xlsx文件");
    }
    ~InflateStream() { inflateEnd(&z); }
    InflateStream(const InflateStream&) = delete;
    InflateStream& operator=(const InflateStream&) = delete;
};

}  // namespace

ZipArchive::ZipArchive(std::string bytes) : bytes_(std::move(bytes)) {
    const std::string& b = bytes_;
    if (b.size() < 22) Damaged();
    // The end record sits in the last 22 bytes plus at most a 64 KiB comment.
    size_t end = std::string::npos;
    const size_t lowest = b.size() > 22 + 65535 ? b.size() - 22 - 65535 : 0;
    for (size_t at = b.size() - 22;; --at) {
        if (U32(b, at) == kEndOfDirectory) {
            end = at;
            break;
        }
        if (at == lowest) break;
    }
    if (end == std::string::npos) Damaged();
    if (U16(b, end + 4) != 0 || U16(b, end + 6) != 0) throw std::runtime_error("不支持分卷的压缩文件");
    const std::uint16_t count = U16(b, end + 10);
    const std::uint32_t dirSize = U32(b, end + 12);
    const std::uint32_t dirOffset = U32(b, end + 16);
    if (count == 0xFFFF || dirOffset == 0xFFFFFFFF) throw std::runtime_error("不支持ZIP64格式的文件");
    if (static_cast<std::uint64_t>(dirOffset) + dirSize > end) Damaged();
    size_t at = dirOffset;
    for (std::uint16_t i = 0; i < count; ++i) {
        if (U32(b, at) != kDirectoryEntry) Damaged();
        Entry e;
        e.flags = U16(b, at + 8);
        e.method = U16(b, at + 10);
        e.crc = U32(b, at + 16);
        e.compressedSize = U32(b, at + 20);
        e.size = U32(b, at + 24);
        const std::uint16_t nameLength = U16(b, at + 28), extraLength = U16(b, at + 30), commentLength = U16(b, at + 32);
        e.localOffset = U32(b, at + 42);
        if (at + 46 + nameLength > b.size()) Damaged();
        e.name = b.substr(at + 46, nameLength);
        entries_.push_back(std::move(e));
        at += 46 + static_cast<size_t>(nameLength) + extraLength + commentLength;
    }
}

std::vector<std::string> ZipArchive::Names() const {
    std::vector<std::string> names;
    for (const auto& e : entries_) names.push_back(e.name);
    return names;
}

const ZipArchive::Entry* ZipArchive::Find(std::string_view name) const {
    for (const auto& e : entries_)
        if (e.name == name) return &e;
    return nullptr;
}

bool ZipArchive::Has(std::string_view name) const { return Find(name) != nullptr; }

void ZipArchive::Read(std::string_view name, const std::function<void(std::string_view)>& out) {
    const Entry* e = Find(name);
    if (!e) throw std::runtime_error("xlsx文件缺少" + std::string(name));
    if (e->flags & 1) throw std::runtime_error("不支持加密的文件");
    if (e->size == 0xFFFFFFFF || e->compressedSize == 0xFFFFFFFF) throw std::runtime_error("不支持ZIP64格式的文件");
    if (e->method != 0 && e->method != 8) throw std::runtime_error("不支持的压缩方式");
    if (unpacked_ + e->size > kMaxUnpacked)
        throw std::runtime_error("xlsx文件解压后超过" + std::to_string(kMaxUnpacked >> 20) + "MB，不能导入");
    if (e->size > kRatioFrom && e->size > static_cast<std::uint64_t>(e->compressedSize) * kMaxRatio)
        throw std::runtime_error("xlsx文件中" + e->name + "的压缩比超过" + std::to_string(kMaxRatio) + "倍，不能导入");
    unpacked_ += e->size;
    const std::string& b = bytes_;
    if (U32(b, e->localOffset) != kLocalHeader) Damaged();
    const size_t data = static_cast<size_t>(e->localOffset) + 30 + U16(b, e->localOffset + 26) + U16(b, e->localOffset + 28);
    if (data + e->compressedSize > b.size()) Damaged();

    uLong crc = crc32(0L, Z_NULL, 0);
    auto give = [&](const char* piece, size_t size) {
        crc = crc32(crc, reinterpret_cast<const Bytef*>(piece), static_cast<uInt>(size));
        out(std::string_view(piece, size));
    };
    if (e->method == 0) {
        if (e->compressedSize != e->size) Damaged();
        for (size_t at = 0; at < e->size; at += kPiece) give(b.data() + data + at, std::min<size_t>(kPiece, e->size - at));
    } else if (e->size > 0) {
        InflateStream s;
        s.z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(b.data() + data));
        s.z.avail_in = e->compressedSize;
        char piece[kPiece];
        for (int r = Z_OK; r != Z_STREAM_END;) {
            s.z.next_out = reinterpret_cast<Bytef*>(piece);
            s.z.avail_out = sizeof piece;
            r = inflate(&s.z, Z_NO_FLUSH);
            // A member that inflates to more (or less) than its recorded size is damaged.
            if ((r != Z_OK && r != Z_STREAM_END) || s.z.total_out > e->size) Damaged();
            const size_t got = sizeof piece - s.z.avail_out;
            if (got == 0 && r != Z_STREAM_END) Damaged();  // no progress: the input is cut short
            if (got > 0) give(piece, got);
        }
        if (s.z.total_out != e->size) Damaged();
    }
    if (crc != e->crc) Damaged();
}

std::string ZipArchive::Read(std::string_view name) {
    std::string whole;
    Read(name, [&](std::string_view piece) { whole += piece; });
    return whole;
}

}  // namespace bill
