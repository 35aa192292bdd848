// The members of a zip archive held in memory, as .xlsx files are: read through the central
// directory, stored or deflated (zlib), each checked against its CRC-32. Archives that are
// encrypted, span disks or need ZIP64 are refused. Members are unpacked in pieces, never whole;
// what one archive unpacks is bounded in total (kMaxUnpacked) and, for members of more than
// kRatioFrom bytes, in its compression ratio (kMaxRatio), both checked against the sizes the
// directory records before a member is unpacked, and a member that unpacks to more than recorded
// is damaged.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace bill {

class ZipArchive {
public:
    static constexpr std::uint64_t kMaxUnpacked = 128u << 20;
    static constexpr std::uint64_t kMaxRatio = 200;
    static constexpr std::uint64_t kRatioFrom = 1u << 20;
    static constexpr size_t kPiece = 64u << 10;

    // Throws std::runtime_error when `bytes` are not a zip archive this class can read.
    explicit ZipArchive(std::string bytes);

    std::vector<std::string> Names() const;
    bool Has(std::string_view name) const;
    // Hands the uncompressed member to `out` in pieces of at most kPiece bytes; throws
    // std::runtime_error when it is missing, damaged (also after the last piece, when its CRC-32
    // does not match) or beyond the limits above. An exception from `out` ends the unpacking.
    void Read(std::string_view name, const std::function<void(std::string_view)>& out);
    // The whole member, as above.
    std::string Read(std::string_view name);
    // Bytes unpacked so far, counted against kMaxUnpacked.
    std::uint64_t Unpacked() const { return unpacked_; }

private:
    struct Entry {
        std::string name;
        std::uint16_t method = 0, flags = 0;
        std::uint32_t crc = 0, compressedSize = 0, size = 0, localOffset = 0;
    };
    const Entry* Find(std::string_view name) const;

    std::string bytes_;
    std::vector<Entry> entries_;
    std::uint64_t unpacked_ = 0;
};

}  // namespace bill
