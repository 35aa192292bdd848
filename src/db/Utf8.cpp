#include "db/Utf8.h"

#include <cstring>

namespace db::text {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

constexpr char32_t kIllFormed = 0xFFFFFFFF;

// Decodes the code point at s[i] and moves i past it; kIllFormed, with i unchanged, where the
// bytes at i are not a well-formed sequence.
[[gnu::always_inline]] inline char32_t Decode(std::string_view s, size_t& i) {
    const auto b = static_cast<unsigned char>(s[i]);
    if (b < 0x80) {
        ++i;
        return b;
    }
    const size_t extra = b >= 0xC2 && b <= 0xDF ? 1 : b >= 0xE0 && b <= 0xEF ? 2 : b >= 0xF0 && b <= 0xF4 ? 3 : 0;
    if (extra == 0 || i + extra >= s.size()) return kIllFormed;
    char32_t c = b & (0x3F >> extra);
    for (size_t k = 1; k <= extra; ++k) {
        const auto t = static_cast<unsigned char>(s[i + k]);
        if ((t & 0xC0) != 0x80) return kIllFormed;
        c = (c << 6) | (t & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
    const char32_t least = extra == 1 ? 0x80 : extra == 2 ? 0x800 : 0x10000;
    if (c < least || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) return kIllFormed;
    i += 1 + extra;
    return c;
}

}  // namespace

size_t Utf8ErrorAt(std::string_view bytes) {
    for (size_t i = 0; i < bytes.size();) {
        if (static_cast<unsigned char>(bytes[i]) < 0x80) ++i;  // most of a file: no call
        else if (Decode(bytes, i) == kIllFormed) return i;
    }
    return std::string_view::npos;
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        char32_t c = Decode(utf8, i);
        if (c == kIllFormed) {
            c = kReplacement;  // a malformed sequence stands for its first byte
            ++i;
        }
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
    }
    return out;
}

namespace {

constexpr bool IsLead(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
constexpr bool IsTrail(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// Two passes over the units, the length first: one allocation, and no call per character.
template <typename UnitAt>
std::string ToUtf8(size_t n, UnitAt at) {
    size_t bytes = 0;
    for (size_t i = 0; i < n; ++i) {
        const char16_t u = at(i);
        if (u < 0x80) {
            bytes += 1;
        } else if (u < 0x800) {
            bytes += 2;
        } else if (IsLead(u) && i + 1 < n && IsTrail(at(i + 1))) {
            bytes += 4;
            ++i;
        } else {
            bytes += 3;  // an unpaired surrogate too, as U+FFFD
        }
    }
    std::string out(bytes, '\0');
    char* p = out.data();
    auto put = [&p](unsigned value) { *p++ = static_cast<char>(value); };
    for (size_t i = 0; i < n; ++i) {
        char32_t c = at(i);
        if (c < 0x80) {
            put(c);
            continue;
        }
        if (IsLead(static_cast<char16_t>(c)) && i + 1 < n && IsTrail(at(i + 1))) {
            c = 0x10000 + ((c - 0xD800) << 10) + (at(i + 1) - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = kReplacement;
        }
        if (c < 0x800) {
            put(0xC0 | (c >> 6));
        } else if (c < 0x10000) {
            put(0xE0 | (c >> 12));
            put(0x80 | ((c >> 6) & 0x3F));
        } else {
            put(0xF0 | (c >> 18));
            put(0x80 | ((c >> 12) & 0x3F));
            put(0x80 | ((c >> 6) & 0x3F));
        }
        put(0x80 | (c & 0x3F));
    }
    return out;
}

}  // namespace

std::string Utf16ToUtf8(std::u16string_view utf16) {
    return ToUtf8(utf16.size(), [utf16](size_t i) { return utf16[i]; });
}

std::string Utf16ToUtf8(const void* units, size_t count) {
    const auto* bytes = static_cast<const unsigned char*>(units);
    return ToUtf8(count, [bytes](size_t i) {
        char16_t u;
        std::memcpy(&u, bytes + i * sizeof u, sizeof u);
        return u;
    });
}

}  // namespace db::text
