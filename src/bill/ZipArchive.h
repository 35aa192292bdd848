// The members of a zip archive held in memory, as .xlsx files are: read through the central
// directory, stored or deflated (zlib), each checked against its CRC-32. Archives that are
// encrypted, span disks or need ZIP64 are refused; so is any member larger than kMaxMemberSize.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace bill {

class ZipArchive {
public:
    static constexpr std::uint64_t kMaxMemberSize = 256u << 20;

    // Throws std::runtime_error when `bytes` are not a zip archive this class can read.
    explicit ZipArchive(std::string bytes);

    std::vector<std::string> Names() const;
    bool Has(std::string_view name) const;
    // The uncompressed member; throws std::runtime_error when it is missing or damaged.
    std::string Read(std::string_view name) const;

private:
    struct Entry {
        std::string name;
        std::uint16_t method = 0, flags = 0;
        std::uint32_t crc = 0, compressedSize = 0, size = 0, localOffset = 0;
    };
    const Entry* Find(std::string_view name) const;

    std::string bytes_;
    std::vector<Entry> entries_;
};

}  // namespace bill
