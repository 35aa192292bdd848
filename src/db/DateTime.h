// A calendar date with time of day, as the bill tables store it. Pure value type.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace db {

struct DateTime {
    int year = 1900, month = 1, day = 1;
    int hour = 0, minute = 0, second = 0;

    // "YYYY-MM-DD" when the time is midnight, else "YYYY-MM-DD HH:MM:SS": the form written into statements.
    std::string ToText() const;
    std::string DateText() const;  // always "YYYY-MM-DD"
    // Accepts "YYYY-MM-DD", "YYYY/MM/DD", an optional time "HH:MM[:SS[.fff]]" after a blank or 'T'.
    static std::optional<DateTime> Parse(std::string_view text);
    static DateTime Today();
    bool IsValid() const;
    auto operator<=>(const DateTime&) const = default;
};

}  // namespace db
