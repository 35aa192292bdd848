#include "db/TypeClass.h"

namespace db {

bool IsIntegerClass(DataType t) {
    switch (t) {
        case DataType::SmallInt: case DataType::Integer: case DataType::Boolean: case DataType::TinyInt:
        case DataType::UnsignedTinyInt: case DataType::UnsignedSmallInt: case DataType::UnsignedInt:
        case DataType::BigInt: case DataType::UnsignedBigInt: return true;
        default: return false;
    }
}

bool IsApproximateClass(DataType t) { return t == DataType::Single || t == DataType::Double; }

bool IsExactNumericClass(DataType t) {
    return t == DataType::Numeric || t == DataType::Decimal || t == DataType::Currency || t == DataType::VarNumeric;
}

bool IsNumericClass(DataType t) { return IsIntegerClass(t) || IsApproximateClass(t) || IsExactNumericClass(t); }

bool IsDateClass(DataType t) {
    return t == DataType::Date || t == DataType::DBDate || t == DataType::DBTime || t == DataType::DBTimeStamp;
}

bool IsTextClass(DataType t) {
    return t == DataType::VarWChar || t == DataType::VarChar || t == DataType::LongVarChar ||
           t == DataType::LongVarWChar || t == DataType::Char || t == DataType::WChar || t == DataType::BSTR;
}

Value IntegerValue(DataType t, std::int64_t v) {
    switch (t) {
        case DataType::Boolean: return Value::Bool(v != 0);
        case DataType::SmallInt: case DataType::TinyInt: case DataType::UnsignedTinyInt:
            if (v >= INT16_MIN && v <= INT16_MAX) return Value::Int16(static_cast<std::int16_t>(v));
            return Value::Int64(v);
        case DataType::Integer: case DataType::UnsignedSmallInt:
            if (v >= INT32_MIN && v <= INT32_MAX) return Value::Int32(static_cast<std::int32_t>(v));
            return Value::Int64(v);
        default: return Value::Int64(v);
    }
}

}  // namespace db
