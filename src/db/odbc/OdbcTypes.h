// Type class of an ODBC SQL type (SQLDescribeCol, SQLColumns' DATA_TYPE) in the recordset
// vocabulary, with the classes the embedded driver gives the same declared types.
#pragma once
#include "db/DataType.h"
#include "db/TypeClass.h"

namespace db::odbc {

DataType DataTypeFromSqlType(int sqlType);

}  // namespace db::odbc
