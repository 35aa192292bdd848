#include "host/BillReader.h"

#include "data/QueryRoutines.h"
#include "db/Connection.h"
#include "db/Error.h"
#include "db/TextUtil.h"

namespace host {
namespace {

std::string TableName(const std::string& name) {
    std::string t = db::text::Trim(name);
    if (t.empty()) throw db::Error(db::ErrorCode::Generic, "打印引擎没有设置单据表");
    for (char c : t) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
                           c == '.' || c == '[' || c == ']';
        if (!plain) throw db::Error(db::ErrorCode::Generic, "单据表名无效：" + t);
    }
    return t;
}

}  // namespace

std::vector<std::string> SplitSerials(const std::string& list) {
    std::vector<std::string> serials;
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find('|', start);
        if (end == std::string::npos) end = list.size();
        if (std::string s = db::text::Trim(list.substr(start, end - start)); !s.empty()) serials.push_back(std::move(s));
        start = end + 1;
    }
    return serials;
}

BillReader::BillReader(db::Connection& connection, const std::string& headerTable, const std::string& lineTable)
    : connection_(connection), headerTable_(TableName(headerTable)), lineTable_(TableName(lineTable)) {}

std::optional<PrintedBill> BillReader::Read(const std::string& serial) {
    const std::string key = "'" + data::EscapeQuote(serial) + "'";
    db::Recordset h = connection_.OpenRecordset(
        "select lsh, kdrq, execdate, bz, czry, shbz, shry, jzbz, dwbh, bz5 from " + headerTable_ + " where lsh=" + key);
    if (h.RecordCount() == 0) return std::nullopt;
    h.MoveFirst();
    PrintedBill bill;
    bill.serial = db::FieldText(h.Get("lsh"));
    bill.billDate = db::FieldDay(h.Get("kdrq"));
    bill.execDate = db::FieldDay(h.Get("execdate"));
    bill.remark = db::FieldText(h.Get("bz"));
    bill.operatorName = db::FieldText(h.Get("czry"));
    bill.audited = db::FieldFlag(h.Get("shbz"));
    bill.auditor = db::FieldText(h.Get("shry"));
    bill.posted = db::FieldFlag(h.Get("jzbz"));
    bill.targetCode = db::FieldText(h.Get("dwbh"));
    bill.toBranchType = db::text::Trim(db::FieldText(h.Get("bz5"))) == "1";
    h.Close();
    bill.targetName = TargetName(bill.targetCode, bill.toBranchType);

    db::Recordset l = connection_.OpenRecordset("select dh, hh, pm, sj1, sj2 from " + lineTable_ + " where lsh=" + key +
                                                " order by cast(dh as int)");
    for (long r = 0; r < l.RecordCount(); ++r) {
        bill.lines.push_back({db::FieldText(l.At(static_cast<int>(r), 0)), db::FieldText(l.At(static_cast<int>(r), 1)),
                              db::FieldText(l.At(static_cast<int>(r), 2)), db::FieldNumber(l.At(static_cast<int>(r), 3)),
                              db::FieldNumber(l.At(static_cast<int>(r), 4))});
    }
    l.Close();
    return bill;
}

std::string BillReader::TargetName(const std::string& code, bool toBranchType) {
    const std::string key = "'" + data::EscapeQuote(code) + "'";
    db::Recordset rs = connection_.OpenRecordset(toBranchType ? "select name from glsx where fid=3 and id=" + key
                                                              : "select mc from gl_custom where tjbh=" + key);
    std::string name;
    if (rs.RecordCount() > 0) {
        rs.MoveFirst();
        name = db::FieldText(rs.Get(0));
    }
    rs.Close();
    return name;
}

}  // namespace host
