#include "bill/ImportFile.h"

#include <fstream>
#include <stdexcept>

#include "bill/CsvReader.h"
#include "bill/TextEncoding.h"
#include "bill/XlsxReader.h"

namespace bill {

std::vector<SheetRow> ImportFile::Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("无法打开文件: " + path);
    in.seekg(0, std::ios::end);
    const auto size = in.tellg();
    if (size < 0) throw std::runtime_error("无法读取文件: " + path);
    if (static_cast<size_t>(size) > kMaxFileSize) throw std::runtime_error("文件过大: " + path);
    in.seekg(0);
    std::string bytes(static_cast<size_t>(size), '\0');
    if (!in.read(bytes.data(), size)) throw std::runtime_error("无法读取文件: " + path);
    return Parse(std::move(bytes));
}

std::vector<SheetRow> ImportFile::Parse(std::string bytes) {
    if (bytes.compare(0, 4, "PK\x03\x04") == 0) return XlsxReader::Read(std::move(bytes));
    if (bytes.compare(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1") == 0)
        throw std::runtime_error("不支持旧的.xls格式，请在表格程序中另存为.xlsx或CSV文件");
    return CsvReader::Parse(FileTextToUtf8(bytes));
}

}  // namespace bill
