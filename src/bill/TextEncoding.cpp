#include "bill/TextEncoding.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <stdexcept>

namespace bill {
namespace {

struct IconvCloser {
    void operator()(iconv_t cd) const { iconv_close(cd); }
};
using IconvHandle = std::unique_ptr<std::remove_pointer_t<iconv_t>, IconvCloser>;

constexpr size_t kPiece = 64u << 10;

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

size_t LineOf(std::string_view text, size_t at) {
    return static_cast<size_t>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(std::min(at, text.size())), '\n')) + 1;
}

// Bytes that are not valid in the encoding being converted from: the line (from 1) of the first.
struct BadBytes {
    size_t line;
};

// Converts `bytes` piece by piece; throws BadBytes, with the line counted in the text converted
// so far (line breaks survive every conversion).
void ConvertPieces(std::string_view bytes, const char* from, const char* to, const std::function<void(std::string_view)>& out) {
    iconv_t raw = iconv_open(to, from);
    if (raw == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error(std::string("不支持的文件编码: ") + from);
    IconvHandle cd(raw);
    char piece[kPiece];
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    size_t lines = 1;
    for (bool flushed = false; !flushed;) {
        char* dst = piece;
        size_t dstLeft = sizeof piece;
        const bool flushing = inLeft == 0;
        const size_t r = flushing ? iconv(cd.get(), nullptr, nullptr, &dst, &dstLeft) : iconv(cd.get(), &in, &inLeft, &dst, &dstLeft);
        const bool failed = r == static_cast<size_t>(-1);
        const int error = errno;
        flushed = flushing && !failed;
        const std::string_view done(piece, sizeof piece - dstLeft);
        lines += static_cast<size_t>(std::count(done.begin(), done.end(), '\n'));
        if (!done.empty()) out(done);
        if (failed && error != E2BIG) throw BadBytes{lines};
    }
}

}  // namespace

std::string Convert(std::string_view bytes, const char* from, const char* to) {
    std::string out;
    try {
        ConvertPieces(bytes, from, to, [&](std::string_view piece) { out += piece; });
    } catch (const BadBytes&) {
        throw std::runtime_error("文件内容不是有效的" + std::string(from) + "编码");
    }
    return out;
}

void DecodeText(std::string_view bytes, const std::function<void(std::string_view)>& out) {
    auto bad = [](const char* encoding, size_t line) {
        return std::runtime_error("文件内容不是有效的" + std::string(encoding) + "编码(第" + std::to_string(line) + "行有无效字节)");
    };
    if (StartsWith(bytes, "\xEF\xBB\xBF")) {
        bytes.remove_prefix(3);
        const size_t at = Utf8ErrorAt(bytes);
        if (at != std::string_view::npos) throw bad("UTF-8", LineOf(bytes, at));
        out(bytes);
        return;
    }
    for (const char* utf16 : {"UTF-16LE", "UTF-16BE"}) {
        if (!StartsWith(bytes, utf16[6] == 'L' ? "\xFF\xFE" : "\xFE\xFF")) continue;
        try {
            ConvertPieces(bytes.substr(2), utf16, "UTF-8", out);
        } catch (const BadBytes& b) {
            throw bad(utf16, b.line);
        }
        return;
    }
    // GB18030 text of Chinese characters is practically never well-formed UTF-8.
    const size_t at = Utf8ErrorAt(bytes);
    if (at == std::string_view::npos) {
        out(bytes);
        return;
    }
    try {
        ConvertPieces(bytes, "GB18030", "UTF-8", out);
    } catch (const BadBytes& b) {
        throw std::runtime_error("文件内容既不是有效的UTF-8编码(第" + std::to_string(LineOf(bytes, at)) +
                                 "行有无效字节)，也不是有效的GB18030编码(第" + std::to_string(b.line) +
                                 "行有无效字节)。请另存为UTF-8或GB18030编码的CSV文件");
    }
}

std::string FileTextToUtf8(std::string_view bytes) {
    std::string text;
    DecodeText(bytes, [&](std::string_view piece) { text += piece; });
    return text;
}

}  // namespace bill
