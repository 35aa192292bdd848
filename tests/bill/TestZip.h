// Zip archives and workbooks built in memory, members stored or deflated, and the peak memory the readers take.
#pragma once
#include <zlib.h>

#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace billtest {

struct ZipMember {
    std::string name, data;
    bool deflate = false;
};

inline void Put16(std::string& s, unsigned v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>(v >> 8 & 0xFF);
}
inline void Put32(std::string& s, unsigned long v) {
    Put16(s, v & 0xFFFF);
    Put16(s, v >> 16 & 0xFFFF);
}

inline std::string RawDeflate(const std::string& data, int level = 6) {
    z_stream z{};
    if (deflateInit2(&z, level, Z_DEFLATED, -MAX_WBITS, 9, Z_DEFAULT_STRATEGY) != Z_OK) throw std::runtime_error("deflateInit2");
    std::string out(deflateBound(&z, data.size()), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    const int r = deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    if (r != Z_STREAM_END) throw std::runtime_error("deflate");
    return out;
}

inline std::string Zip(const std::vector<ZipMember>& members) {
    std::string out, directory;
    for (const auto& m : members) {
        const unsigned long crc = crc32(0L, reinterpret_cast<const Bytef*>(m.data.data()), static_cast<uInt>(m.data.size()));
        const std::string packed = m.deflate ? RawDeflate(m.data) : m.data;
        const unsigned method = m.deflate ? 8 : 0;
        const unsigned long offset = out.size();
        Put32(out, 0x04034b50);
        Put16(out, 20), Put16(out, 0), Put16(out, method), Put16(out, 0), Put16(out, 0);
        Put32(out, crc), Put32(out, packed.size()), Put32(out, m.data.size());
        Put16(out, m.name.size()), Put16(out, 0);
        out += m.name + packed;
        Put32(directory, 0x02014b50);
        Put16(directory, 20), Put16(directory, 20), Put16(directory, 0), Put16(directory, method), Put16(directory, 0),
            Put16(directory, 0);
        Put32(directory, crc), Put32(directory, packed.size()), Put32(directory, m.data.size());
        Put16(directory, m.name.size()), Put16(directory, 0), Put16(directory, 0), Put16(directory, 0), Put16(directory, 0);
        Put32(directory, 0), Put32(directory, offset);
        directory += m.name;
    }
    const unsigned long at = out.size();
    out += directory;
    Put32(out, 0x06054b50);
    Put16(out, 0), Put16(out, 0), Put16(out, members.size()), Put16(out, members.size());
    Put32(out, directory.size()), Put32(out, at), Put16(out, 0);
    return out;
}

inline constexpr const char* kMainNs = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";

// A workbook of one sheet, its parts deflated: `sheetData` goes inside <sheetData>, `strings` (the
// <si> items) make the shared strings when not empty, `prolog` comes before the sheet's root.
inline std::string Workbook(const std::string& sheetData, const std::string& strings = "", const std::string& prolog = "") {
    const std::string main = kMainNs;
    std::vector<ZipMember> members{
        {"xl/workbook.xml",
         "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?><workbook xmlns=\"" + main +
             "\" xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"><sheets><sheet name=\"价格\" "
             "sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>",
         true},
        {"xl/_rels/workbook.xml.rels",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/"
         "relationships\"><Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
         "worksheet\" Target=\"worksheets/sheet1.xml\"/></Relationships>",
         true},
        {"xl/worksheets/sheet1.xml",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + prolog + "<worksheet xmlns=\"" + main + "\"><sheetData>" + sheetData +
             "</sheetData></worksheet>",
         true}};
    if (!strings.empty()) members.push_back({"xl/sharedStrings.xml", "<sst xmlns=\"" + main + "\">" + strings + "</sst>", true});
    return Zip(members);
}

// Peak memory from here on, in MiB above what the program had.
class PeakMemory {
public:
    PeakMemory() {
        std::ofstream("/proc/self/clear_refs") << "5";
        before_ = Read("VmRSS:");
    }
    long GrowthMiB() const { return (Read("VmHWM:") - before_) / 1024; }

private:
    static long Read(const std::string& field) {
        std::ifstream status("/proc/self/status");
        for (std::string line; std::getline(status, line);)
            if (line.rfind(field, 0) == 0) return std::stol(line.substr(field.size()));
        return 0;
    }
    long before_;
};

}  // namespace billtest
