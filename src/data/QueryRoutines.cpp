#include "data/QueryRoutines.h"

#include "db/Connection.h"
#include "db/Error.h"
#include "db/TypeClass.h"
#include "data/HostContext.h"
#include "ui/Toolkit.h"

namespace data {
namespace {

using db::DataType;

db::Value DefaultDate() { return db::Value::Date(*db::DateTime::Parse("1900-01-01")); }

using db::DescriptionOf;

// Every title the operator sees is Chinese, the cursor routines' too.
constexpr const char* kCursorErrorTitle = "错误:";

}  // namespace

db::Connection& HostConnection() {
    auto& c = data::Host().HostConnection;
    if (!c || !c->IsOpen()) throw db::Error(db::ErrorCode::ClosedObject, "对象关闭时，不允许操作。");
    return *c;
}

db::Value FieldValueDefault(DataType t) {
    if (db::IsNumericClass(t)) return db::Value::Int16(0);
    if (db::IsDateClass(t)) return DefaultDate();
    return db::Value::Text("");
}

db::Value SqlValueDefault(DataType t) {
    switch (t) {
        case DataType::Integer: case DataType::Double: case DataType::Boolean: case DataType::Decimal:
        case DataType::Numeric:
            return db::Value::Int16(0);
        case DataType::DBTimeStamp:
            return DefaultDate();
        default:
            return db::Value::Text("");
    }
}

std::optional<db::Recordset> GetRecordset(const std::string& sql) {
    try {
        db::Recordset rs = HostConnection().OpenRecordset(sql);
        db::Recordset clone = rs.Clone();
        rs.Close();
        return clone;
    } catch (const std::exception& e) {
        ui::MsgBox(DescriptionOf(e), ui::Buttons::Ok, ui::Icon::Critical, kCursorErrorTitle);
        return std::nullopt;
    }
}

std::optional<db::Recordset> GetRecordsetByConnStr(const std::string& sql) {
    try {
        db::Connection own;
        own.SetCommandTimeout(data::Host().CommandTimeout);
        own.Open(data::Host().ConnStr);
        db::Recordset rs = own.OpenRecordset(sql);
        db::Recordset clone = rs.Clone();  // holds the connection's session after `own` is gone
        rs.Close();
        return clone;
    } catch (const std::exception& e) {
        ui::MsgBox(DescriptionOf(e), ui::Buttons::Ok, ui::Icon::Critical, kCursorErrorTitle);
        return std::nullopt;
    }
}

db::Value GetFieldValue(std::string sql, std::string fieldName) {
    db::Value result;
    db::Recordset rs;
    try {
        rs = HostConnection().OpenRecordset(sql);
        const db::FieldInfo& f = rs.Field(std::string_view(fieldName));
        if (rs.RecordCount() > 0) {
            rs.MoveFirst();
            const db::Value& v = rs.Get(std::string_view(fieldName));
            result = v.IsNull() ? FieldValueDefault(f.type) : v;
        } else {
            result = FieldValueDefault(f.type);
        }
    } catch (const std::exception& e) {
        ui::MsgBox(DescriptionOf(e), ui::Buttons::Ok, ui::Icon::Exclamation, "系统提示");
    }
    if (rs.IsOpen()) rs.Close();
    return result;
}

void GetSqlValue::GetArrayValue() {
    db::Connection own;
    own.SetCommandTimeout(data::Host().CommandTimeout);
    own.Open(data::Host().ConnStr);
    db::Recordset rs = own.OpenRecordset(strSQL);
    const int n = rs.FieldCount();
    array_.assign(static_cast<size_t>(n) + 1, db::Value());
    if (rs.IsBOF() && rs.IsEOF()) {
        array_[0] = db::Value::Int16(0);
        for (int i = 0; i < n; ++i) array_[i + 1] = SqlValueDefault(rs.Field(i).type);
    } else {
        array_[0] = db::Value::Int32(static_cast<std::int32_t>(rs.RecordCount()));
        rs.MoveFirst();
        for (int i = 0; i < n; ++i) {
            const db::Value& v = rs.Get(i);
            array_[i + 1] = v.IsNull() ? SqlValueDefault(rs.Field(i).type) : v;
        }
    }
    rs.Close();
}

std::string EscapeQuote(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        out += c;
        if (c == '\'') out += '\'';
    }
    return out;
}

}  // namespace data
