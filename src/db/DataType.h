// Column type codes of recordset fields. The numbering is the one the host's data access layer
// uses (small integer 2, integer 3, ... database time stamp 135, variable wide text 202), so that
// every driver reports a column's type in one vocabulary.
#pragma once

namespace db {

enum class DataType : int {
    Empty = 0,
    SmallInt = 2,
    Integer = 3,
    Single = 4,
    Double = 5,
    Currency = 6,
    Date = 7,
    BSTR = 8,
    Boolean = 11,
    Variant = 12,
    Decimal = 14,
    TinyInt = 16,
    UnsignedTinyInt = 17,
    UnsignedSmallInt = 18,
    UnsignedInt = 19,
    BigInt = 20,
    UnsignedBigInt = 21,
    Binary = 128,
    Char = 129,
    WChar = 130,
    Numeric = 131,
    VarNumeric = 139,
    DBDate = 133,
    DBTime = 134,
    DBTimeStamp = 135,
    VarChar = 200,
    LongVarChar = 201,
    VarWChar = 202,
    LongVarWChar = 203,
    VarBinary = 204,
};

}  // namespace db
