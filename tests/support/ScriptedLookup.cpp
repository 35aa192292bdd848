#include "support/ScriptedLookup.h"

#include "data/QueryRoutines.h"
#include "db/Connection.h"

namespace testing_support {

void ScriptedLookup::Show() {
    result_ = {db::Value::Int16(0)};
    db::Recordset rs = data::HostConnection().OpenRecordset(sql_);
    const long row = choose_(sql_, rs);
    if (row < 0 || row >= rs.RecordCount()) return;
    result_ = {db::Value::Int16(1)};
    for (int i = 0; i < rs.FieldCount(); ++i) result_.push_back(rs.At(static_cast<int>(row), i));
}

}  // namespace testing_support
