// A variant value as fields, query routines and the windows exchange them: empty, null, a number
// of one of several widths, a boolean, a text or a date. Conversions follow the host's rules:
// numbers round half to even into integers, non-zero is true, texts convert when they are numbers;
// anything else raises db::Error (type mismatch or overflow).
#pragma once
#include <cstdint>
#include <string>
#include <variant>

#include "db/DateTime.h"

namespace db {

class Value {
public:
    enum class Kind { Empty, Null, Int16, Int32, Int64, Double, Bool, Text, Date };

    Value() = default;
    static Value Null();
    static Value Int16(std::int16_t v);
    static Value Int32(std::int32_t v);
    static Value Int64(std::int64_t v);
    static Value Double(double v);
    static Value Bool(bool v);
    static Value Text(std::string v);
    static Value Date(DateTime v);

    Kind GetKind() const;
    bool IsEmpty() const { return GetKind() == Kind::Empty; }
    bool IsNull() const { return GetKind() == Kind::Null; }
    bool IsNumeric() const;  // Int16, Int32, Int64, Double, Bool

    std::int16_t ToInt16() const;
    std::int32_t ToInt32() const;
    std::int64_t ToInt64() const;
    double ToDouble() const;
    bool ToBool() const;
    // Text form: numbers in shortest round-trip decimal ("12.5"), booleans "True"/"False",
    // dates as DateTime::ToText, empty and null as "".
    std::string ToText() const;
    DateTime ToDate() const;
    // The text of a Text value without a copy; nothing for any other kind.
    const std::string* TextIf() const noexcept { return std::get_if<std::string>(&v_); }

    bool operator==(const Value&) const = default;

private:
    struct NullTag {
        bool operator==(const NullTag&) const = default;
    };
    using Storage = std::variant<std::monostate, NullTag, std::int16_t, std::int32_t, std::int64_t,
                                 double, bool, std::string, DateTime>;
    explicit Value(Storage s) : v_(std::move(s)) {}
    Storage v_;
};

// Shortest decimal text that reads back as the same double, '.' as decimal point, no exponent
// for ordinary prices ("12.5", "0.1", "100").
std::string FormatDouble(double v);

// A field as the module reads it, null and empty standing for nothing: "", 0 and false.
std::string FieldText(const Value& v);
double FieldNumber(const Value& v);
bool FieldFlag(const Value& v);
// The date part as YYYY-MM-DD, of a date or of a text that reads as one; another text as it is.
std::string FieldDay(const Value& v);

}  // namespace db
