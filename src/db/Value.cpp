#include "db/Value.h"

#include "db/TextUtil.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>

#include "db/Error.h"

namespace db {
namespace {

[[noreturn]] void TypeMismatch() { throw Error(ErrorCode::TypeMismatch, "类型不匹配"); }
[[noreturn]] void Overflow() { throw Error(ErrorCode::Overflow, "溢出"); }


// Number held in a text, or nothing when the text is not a number ("inf" and "nan" are words).
std::optional<double> ParseNumber(std::string_view text) {
    std::string t = text::Trim(text);
    if (t.empty()) return std::nullopt;
    for (unsigned char c : t)
        if (std::isalpha(c) && c != 'e' && c != 'E') return std::nullopt;
    const char* b = t.data();
    if (*b == '+') ++b;
    double v = 0;
    auto [p, ec] = std::from_chars(b, t.data() + t.size(), v);
    if (ec != std::errc() || p != t.data() + t.size()) return std::nullopt;
    return v;
}

// Round half to even, then range-check.
template <typename T>
T RoundTo(double v) {
    if (std::isnan(v)) Overflow();
    double r = std::nearbyint(v);  // default rounding mode: to nearest, ties to even
    if (r < static_cast<double>(std::numeric_limits<T>::min()) || r > static_cast<double>(std::numeric_limits<T>::max()))
        Overflow();
    return static_cast<T>(r);
}

}  // namespace

Value Value::Null() { return Value(Storage(NullTag{})); }
Value Value::Int16(std::int16_t v) { return Value(Storage(v)); }
Value Value::Int32(std::int32_t v) { return Value(Storage(v)); }
Value Value::Int64(std::int64_t v) { return Value(Storage(v)); }
Value Value::Double(double v) { return Value(Storage(v)); }
Value Value::Bool(bool v) { return Value(Storage(v)); }
Value Value::Text(std::string v) { return Value(Storage(std::move(v))); }
Value Value::Date(DateTime v) { return Value(Storage(v)); }

Value::Kind Value::GetKind() const { return static_cast<Kind>(v_.index()); }

bool Value::IsNumeric() const {
    switch (GetKind()) {
        case Kind::Int16: case Kind::Int32: case Kind::Int64: case Kind::Double: case Kind::Bool: return true;
        default: return false;
    }
}

double Value::ToDouble() const {
    switch (GetKind()) {
        case Kind::Empty: return 0;
        case Kind::Null: TypeMismatch();
        case Kind::Int16: return std::get<std::int16_t>(v_);
        case Kind::Int32: return std::get<std::int32_t>(v_);
        case Kind::Int64: return static_cast<double>(std::get<std::int64_t>(v_));
        case Kind::Double: return std::get<double>(v_);
        case Kind::Bool: return std::get<bool>(v_) ? -1 : 0;
        case Kind::Text: {
            auto n = ParseNumber(std::get<std::string>(v_));
            if (!n) TypeMismatch();
            return *n;
        }
        case Kind::Date: TypeMismatch();
    }
    TypeMismatch();
}

std::int64_t Value::ToInt64() const {
    if (GetKind() == Kind::Int64) return std::get<std::int64_t>(v_);
    return RoundTo<std::int64_t>(ToDouble());
}
std::int32_t Value::ToInt32() const { return RoundTo<std::int32_t>(ToDouble()); }
std::int16_t Value::ToInt16() const { return RoundTo<std::int16_t>(ToDouble()); }

bool Value::ToBool() const {
    switch (GetKind()) {
        case Kind::Bool: return std::get<bool>(v_);
        case Kind::Text: {
            std::string t = text::Trim(std::get<std::string>(v_));
            std::string up;
            for (char c : t) up += static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
            if (up == "TRUE") return true;
            if (up == "FALSE") return false;
            return ToDouble() != 0;
        }
        default: return ToDouble() != 0;
    }
}

std::string Value::ToText() const {
    switch (GetKind()) {
        case Kind::Empty: case Kind::Null: return {};
        case Kind::Int16: return std::to_string(std::get<std::int16_t>(v_));
        case Kind::Int32: return std::to_string(std::get<std::int32_t>(v_));
        case Kind::Int64: return std::to_string(std::get<std::int64_t>(v_));
        case Kind::Double: return FormatDouble(std::get<double>(v_));
        case Kind::Bool: return std::get<bool>(v_) ? "True" : "False";
        case Kind::Text: return std::get<std::string>(v_);
        case Kind::Date: return std::get<DateTime>(v_).ToText();
    }
    return {};
}

DateTime Value::ToDate() const {
    if (GetKind() == Kind::Date) return std::get<DateTime>(v_);
    if (GetKind() == Kind::Text) {
        if (auto d = DateTime::Parse(std::get<std::string>(v_))) return *d;
    }
    TypeMismatch();
}

std::string FormatDouble(double v) {
    if (v == 0) return "0";
    char buf[64];
    // Shortest representation that reads back as the same double; plain notation for the
    // magnitudes prices and quantities take.
    auto [p, ec] = (std::fabs(v) >= 1e-6 && std::fabs(v) < 1e15)
                       ? std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed)
                       : std::to_chars(buf, buf + sizeof buf, v);
    if (ec != std::errc()) return std::to_string(v);
    std::string s(buf, p);
    // to_chars(fixed) without precision is already shortest round-trip.
    return s;
}

std::string FieldText(const Value& v) { return v.IsNull() || v.IsEmpty() ? std::string() : v.ToText(); }

double FieldNumber(const Value& v) { return v.IsNull() || v.IsEmpty() ? 0.0 : v.ToDouble(); }

bool FieldFlag(const Value& v) { return !v.IsNull() && !v.IsEmpty() && v.ToBool(); }

std::string FieldDay(const Value& v) {
    if (v.GetKind() == Value::Kind::Date) return v.ToDate().DateText();
    const std::string text = FieldText(v);
    if (auto d = DateTime::Parse(text)) return d->DateText();
    return text;
}

}  // namespace db
