// The shared query routines of every window: cursors over a whole result, single values and the
// first row with type-class defaults for nulls, and quote doubling for text placed in SQL.
// GetRecordset, GetFieldValue run on the host connection; GetRecordsetByConnStr and GetSqlValue
// open a connection of their own from the host context's connection string.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "db/DataType.h"
#include "db/Recordset.h"
#include "db/Value.h"

namespace db {
class Connection;
}

namespace data {

// The host connection of the current run; throws the closed-object error when there is none.
db::Connection& HostConnection();

// A clone of a static read-only cursor over the result, on its first row; nothing (after an
// "错误:" message with the critical icon) when the query fails.
std::optional<db::Recordset> GetRecordset(const std::string& sql);
// The same on a connection of its own, which the returned cursor keeps alive.
std::optional<db::Recordset> GetRecordsetByConnStr(const std::string& sql);

// The named field of the first row, or its type-class default when null or when there is no
// row. A failure shows a "系统提示" message with the exclamation icon and yields the empty value.
db::Value GetFieldValue(std::string sql, std::string fieldName);

// Runs a query on a connection of its own and keeps its first row: element 0 the row count
// (16-bit 0 when there is none), elements 1..N the columns, nulls replaced by their class default.
// GetArrayValue raises every failure to its caller.
class GetSqlValue {
public:
    std::string strSQL;
    void GetArrayValue();
    std::vector<db::Value> ArrayValue() const { return array_; }
    const db::Value& Element(size_t i) const { return array_.at(i); }

private:
    std::vector<db::Value> array_;
};

// Every single quote doubled.
std::string EscapeQuote(std::string_view text);

// The type-class defaults of the two routines (they differ on purpose: GetSqlValue knows fewer
// numeric and date types).
db::Value FieldValueDefault(db::DataType type);
db::Value SqlValueDefault(db::DataType type);

}  // namespace data
