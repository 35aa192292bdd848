// Small text helpers shared by every layer: ASCII case folding, blank trimming, and shortening
// what a message quotes.
#pragma once
#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>

namespace db::text {

inline std::string Lower(std::string_view s) {
    std::string r(s);
    std::transform(r.begin(), r.end(), r.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return r;
}

inline bool EqualNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// Whether U+3000, the full-width blank that Chinese input methods type, counts as a blank.
enum class FullWidthBlank { Kept, Trimmed };

// Without leading and trailing blanks: spaces, tabs, CR and LF, and U+3000 when asked.
inline std::string_view TrimView(std::string_view s, FullWidthBlank fullWidth = FullWidthBlank::Kept) {
    constexpr std::string_view kFullWidth = "\xE3\x80\x80";
    const bool trimFullWidth = fullWidth == FullWidthBlank::Trimmed;
    for (;;) {
        if (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r' || s.front() == '\n')) {
            s.remove_prefix(1);
        } else if (trimFullWidth && s.starts_with(kFullWidth)) {
            s.remove_prefix(kFullWidth.size());
        } else {
            break;
        }
    }
    for (;;) {
        if (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n')) {
            s.remove_suffix(1);
        } else if (trimFullWidth && s.ends_with(kFullWidth)) {
            s.remove_suffix(kFullWidth.size());
        } else {
            break;
        }
    }
    return s;
}

inline std::string Trim(std::string_view s, FullWidthBlank fullWidth = FullWidthBlank::Kept) {
    return std::string(TrimView(s, fullWidth));
}

// At most maxBytes of s, cut before a UTF-8 sequence and marked with "…" when cut.
inline std::string Abbreviate(std::string_view s, size_t maxBytes) {
    if (s.size() <= maxBytes) return std::string(s);
    size_t cut = maxBytes;
    while (cut > 0 && (static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80) --cut;
    return std::string(s.substr(0, cut)) + "…";
}

// A text fit for a message box: at most maxLines lines and maxBytes bytes.
inline std::string FitForMessage(std::string_view s, size_t maxBytes = 2000, size_t maxLines = 30) {
    size_t lines = 0, p = 0;
    while (p < s.size() && lines < maxLines) {
        size_t nl = s.find('\n', p);
        if (nl == std::string_view::npos) return Abbreviate(s, maxBytes);
        p = nl + 1;
        ++lines;
    }
    if (p < s.size()) return Abbreviate(s.substr(0, p - 1), maxBytes) + "\n…";
    return Abbreviate(s, maxBytes);
}

}  // namespace db::text
