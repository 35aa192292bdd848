// The classes of column type codes that drivers and query routines decide by (integer, approximate,
// exact numeric, date, text), and integer values in the width each class is read as.
#pragma once
#include <cstdint>

#include "db/DataType.h"
#include "db/Value.h"

namespace db {

bool IsIntegerClass(DataType t);       // boolean and the integer widths
bool IsApproximateClass(DataType t);   // single, double
bool IsExactNumericClass(DataType t);  // numeric, decimal, currency
bool IsNumericClass(DataType t);       // any of the three above
bool IsDateClass(DataType t);          // date, database date, time and time stamp
bool IsTextClass(DataType t);

// An integer read from a column of class t: boolean, 16-bit for small integers, 32-bit for
// integers, 64-bit otherwise or when the value does not fit.
Value IntegerValue(DataType t, std::int64_t v);

}  // namespace db
