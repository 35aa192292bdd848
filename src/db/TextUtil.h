// Small text helpers shared by the database layer: ASCII case folding, blank trimming, and
// shortening what a message quotes.
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

// Without leading and trailing blanks, tabs and line ends.
inline std::string Trim(std::string_view s) {
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    size_t b = 0, e = s.size();
    while (b < e && blank(s[b])) ++b;
    while (e > b && blank(s[e - 1])) --e;
    return std::string(s.substr(b, e - b));
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
