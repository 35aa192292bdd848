// Type class of an ODBC SQL type (SQLDescribeCol, SQLColumns' DATA_TYPE) in the recordset
// vocabulary, with the classes the embedded driver gives the same declared types.
#pragma once
#include "db/DataType.h"

namespace db::odbc {

DataType DataTypeFromSqlType(int sqlType);

bool IsIntegerClass(DataType t);      // read as a 64-bit integer
bool IsApproximateClass(DataType t);  // read as a double
bool IsExactNumericClass(DataType t); // read as decimal text, then as a double
bool IsTextClass(DataType t);

}  // namespace db::odbc
