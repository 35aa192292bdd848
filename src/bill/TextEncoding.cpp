#include "bill/TextEncoding.h"

#include <iconv.h>

#include <cerrno>
#include <memory>
#include <stdexcept>

namespace bill {
namespace {

struct IconvCloser {
    void operator()(iconv_t cd) const { iconv_close(cd); }
};
using IconvHandle = std::unique_ptr<std::remove_pointer_t<iconv_t>, IconvCloser>;

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

}  // namespace

std::string Convert(std::string_view bytes, const char* from, const char* to) {
    iconv_t raw = iconv_open(to, from);
    if (raw == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error(std::string("不支持的文件编码: ") + from);
    IconvHandle cd(raw);
    std::string out;
    out.resize(bytes.size() * 2 + 16);
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    size_t written = 0;
    while (true) {
        char* dst = out.data() + written;
        size_t dstLeft = out.size() - written;
        const size_t r = inLeft == 0 ? iconv(cd.get(), nullptr, nullptr, &dst, &dstLeft) : iconv(cd.get(), &in, &inLeft, &dst, &dstLeft);
        written = out.size() - dstLeft;
        if (r != static_cast<size_t>(-1)) {
            if (inLeft == 0) break;
            continue;
        }
        if (errno == E2BIG) {
            out.resize(out.size() * 2);
            continue;
        }
        throw std::runtime_error("文件内容不是有效的" + std::string(from) + "编码");
    }
    out.resize(written);
    return out;
}

bool IsUtf8(std::string_view s) {
    size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        size_t n;
        unsigned min, cp;
        if ((c & 0xE0) == 0xC0) {
            n = 1, min = 0x80, cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            n = 2, min = 0x800, cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            n = 3, min = 0x10000, cp = c & 0x07;
        } else {
            return false;
        }
        for (size_t k = 1; k <= n; ++k) {
            if (i + k >= s.size()) return false;
            const auto d = static_cast<unsigned char>(s[i + k]);
            if ((d & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (d & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += n + 1;
    }
    return true;
}

std::string FileTextToUtf8(std::string_view bytes) {
    if (StartsWith(bytes, "\xEF\xBB\xBF")) {
        bytes.remove_prefix(3);
        if (!IsUtf8(bytes)) throw std::runtime_error("文件内容不是有效的UTF-8编码");
        return std::string(bytes);
    }
    if (StartsWith(bytes, "\xFF\xFE")) return Convert(bytes.substr(2), "UTF-16LE", "UTF-8");
    if (StartsWith(bytes, "\xFE\xFF")) return Convert(bytes.substr(2), "UTF-16BE", "UTF-8");
    // GB18030 text of Chinese characters is practically never well-formed UTF-8.
    if (IsUtf8(bytes)) return std::string(bytes);
    return Convert(bytes, "GB18030", "UTF-8");
}

}  // namespace bill
