#include "host/BillReader.h"

#include "data/QueryRoutines.h"
#include "db/Connection.h"
#include "db/Error.h"

namespace host {
namespace {

std::string TableName(const std::string& name) {
    std::string t = Trimmed(name);
    if (t.empty()) throw db::Error(db::ErrorCode::Generic, "打印引擎没有设置单据表");
    for (char c : t) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
                           c == '.' || c == '[' || c == ']';
        if (!plain) throw db::Error(db::ErrorCode::Generic, "单据表名无效：" + t);
    }
    return t;
}

std::string Text(const db::Value& v) { return v.IsNull() || v.IsEmpty() ? std::string() : v.ToText(); }

std::string DateText(const db::Value& v) {
    if (v.GetKind() == db::Value::Kind::Date) return v.ToDate().DateText();
    const std::string text = Text(v);
    if (auto d = db::DateTime::Parse(text)) return d->DateText();
    return text;
}

double Number(const db::Value& v) { return v.IsNull() || v.IsEmpty() ? 0.0 : v.ToDouble(); }

bool Flag(const db::Value& v) { return !v.IsNull() && !v.IsEmpty() && v.ToBool(); }

}  // namespace

std::string Trimmed(const std::string& text) {
    const char* blanks = " \t\r\n";
    const auto first = text.find_first_not_of(blanks);
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

std::vector<std::string> SplitSerials(const std::string& list) {
    std::vector<std::string> serials;
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find('|', start);
        if (end == std::string::npos) end = list.size();
        if (std::string s = Trimmed(list.substr(start, end - start)); !s.empty()) serials.push_back(std::move(s));
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
    bill.serial = Text(h.Get("lsh"));
    bill.billDate = DateText(h.Get("kdrq"));
    bill.execDate = DateText(h.Get("execdate"));
    bill.remark = Text(h.Get("bz"));
    bill.operatorName = Text(h.Get("czry"));
    bill.audited = Flag(h.Get("shbz"));
    bill.auditor = Text(h.Get("shry"));
    bill.posted = Flag(h.Get("jzbz"));
    bill.targetCode = Text(h.Get("dwbh"));
    bill.toBranchType = Trimmed(Text(h.Get("bz5"))) == "1";
    h.Close();
    bill.targetName = TargetName(bill.targetCode, bill.toBranchType);

    db::Recordset l = connection_.OpenRecordset("select dh, hh, pm, sj1, sj2 from " + lineTable_ + " where lsh=" + key +
                                                " order by cast(dh as int)");
    for (long r = 0; r < l.RecordCount(); ++r) {
        bill.lines.push_back({Text(l.At(static_cast<int>(r), 0)), Text(l.At(static_cast<int>(r), 1)),
                              Text(l.At(static_cast<int>(r), 2)), Number(l.At(static_cast<int>(r), 3)),
                              Number(l.At(static_cast<int>(r), 4))});
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
        name = Text(rs.Get(0));
    }
    rs.Close();
    return name;
}

}  // namespace host
