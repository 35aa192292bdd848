#include "db/DateTime.h"

#include <charconv>
#include <cstdio>
#include <ctime>

namespace db {
namespace {

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}

// Reads an unsigned number of 1..maxDigits digits at pos.
bool ReadNumber(std::string_view s, size_t& pos, int maxDigits, int& out) {
    size_t start = pos;
    while (pos < s.size() && pos - start < static_cast<size_t>(maxDigits) && s[pos] >= '0' && s[pos] <= '9') ++pos;
    if (pos == start) return false;
    std::from_chars(s.data() + start, s.data() + pos, out);
    return true;
}

}  // namespace

bool DateTime::IsValid() const {
    return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 && day <= DaysInMonth(year, month) &&
           hour >= 0 && hour < 24 && minute >= 0 && minute < 60 && second >= 0 && second < 60;
}

std::string DateTime::DateText() const {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", year, month, day);
    return buf;
}

std::string DateTime::ToText() const {
    if (hour == 0 && minute == 0 && second == 0) return DateText();
    char buf[16];
    std::snprintf(buf, sizeof buf, " %02d:%02d:%02d", hour, minute, second);
    return DateText() + buf;
}

std::optional<DateTime> DateTime::Parse(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    DateTime d;
    size_t pos = 0;
    if (!ReadNumber(s, pos, 4, d.year) || pos >= s.size() || (s[pos] != '-' && s[pos] != '/')) return std::nullopt;
    char sep = s[pos++];
    if (!ReadNumber(s, pos, 2, d.month) || pos >= s.size() || s[pos] != sep) return std::nullopt;
    ++pos;
    if (!ReadNumber(s, pos, 2, d.day)) return std::nullopt;
    if (pos < s.size()) {
        if (s[pos] != ' ' && s[pos] != 'T') return std::nullopt;
        ++pos;
        if (!ReadNumber(s, pos, 2, d.hour) || pos >= s.size() || s[pos] != ':') return std::nullopt;
        ++pos;
        if (!ReadNumber(s, pos, 2, d.minute)) return std::nullopt;
        if (pos < s.size() && s[pos] == ':') {
            ++pos;
            if (!ReadNumber(s, pos, 2, d.second)) return std::nullopt;
            if (pos < s.size() && s[pos] == '.') {
                ++pos;
                while (pos < s.size() && s[pos] >= '0' && s[pos] <= '9') ++pos;
            }
        }
        if (pos != s.size()) return std::nullopt;
    }
    if (!d.IsValid()) return std::nullopt;
    return d;
}

DateTime DateTime::Today() {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return DateTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, 0, 0, 0};
}

}  // namespace db
