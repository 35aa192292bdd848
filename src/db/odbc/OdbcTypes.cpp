#include "db/odbc/OdbcTypes.h"

#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

namespace db::odbc {
namespace {
constexpr int kSqlServerTime = -154;  // SQL Server's time(n), as its drivers report it
}  // namespace

DataType DataTypeFromSqlType(int sqlType) {
    switch (sqlType) {
        case SQL_SMALLINT: return DataType::SmallInt;
        case SQL_INTEGER: return DataType::Integer;
        case SQL_TINYINT: return DataType::UnsignedTinyInt;
        case SQL_BIGINT: return DataType::BigInt;
        case SQL_BIT: return DataType::Boolean;
        case SQL_REAL: return DataType::Single;
        case SQL_FLOAT: case SQL_DOUBLE: return DataType::Double;
        case SQL_NUMERIC: return DataType::Numeric;
        case SQL_DECIMAL: return DataType::Decimal;
        case SQL_TYPE_DATE: return DataType::DBDate;
        case SQL_TYPE_TIME: case SQL_TIME: case kSqlServerTime: return DataType::DBTime;
        // 9 is ODBC 3's verbose SQL_DATETIME and ODBC 2's SQL_DATE: read as a time stamp, either fits.
        case SQL_TYPE_TIMESTAMP: case SQL_TIMESTAMP: case SQL_DATETIME: return DataType::DBTimeStamp;
        case SQL_BINARY: case SQL_VARBINARY: case SQL_LONGVARBINARY: return DataType::VarBinary;
        // Character types, GUIDs, sql_variant, xml and whatever else is shown as its text.
        default: return DataType::VarWChar;
    }
}

}  // namespace db::odbc
