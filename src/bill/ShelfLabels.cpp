#include "bill/ShelfLabels.h"

#include "bill/PriceRounding.h"
#include "data/QueryRoutines.h"
#include "db/Connection.h"
#include "db/TextUtil.h"

namespace bill {
namespace {

using data::EscapeQuote;

// YYYY-MM-DD; empty for no date and for 1900-01-01, the date control's empty value.
std::string DateText(const db::Value& v) {
    std::string text;
    if (v.GetKind() == db::Value::Kind::Date) text = v.ToDate().DateText();
    else if (auto d = db::DateTime::Parse(db::FieldText(v)))
        text = d->DateText();
    return text == "1900-01-01" ? std::string() : text;
}

// The line keeps "name\size\origin\unit" as the item was when the line was entered: the label's
// texts when the item is no longer in yw_kck.
void FromLineText(const std::string& pm, data::ShelfLabel& label) {
    std::string* parts[] = {&label.name, &label.size, &label.origin, &label.unit};
    size_t start = 0;
    for (std::string* part : parts) {
        const size_t end = pm.find('\\', start);
        *part = pm.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (end == std::string::npos) break;
        start = end + 1;
    }
}

std::string FirstText(db::Connection& c, const std::string& sql) {
    db::Recordset rs = c.OpenRecordset(sql);
    std::string text = rs.RecordCount() > 0 ? db::FieldText(rs.At(0, 0)) : std::string();
    rs.Close();
    return text;
}

}  // namespace

std::vector<LabelBill> ReadLabelBills(db::Connection& c, const std::vector<std::string>& serials, int decimals) {
    std::vector<LabelBill> bills;
    for (const std::string& serial : serials) {
        const std::string key = "'" + EscapeQuote(serial) + "'";
        db::Recordset h = c.OpenRecordset("select lsh,kdrq,execdate,dwbh,bz5 from SubAdjuctPrice where lsh=" + key);
        if (h.RecordCount() == 0) {
            h.Close();
            continue;
        }
        LabelBill bill;
        bill.serial = db::FieldText(h.Get("lsh"));
        bill.targetCode = db::FieldText(h.Get("dwbh"));
        bill.toBranchType = db::text::Trim(db::FieldText(h.Get("bz5"))) == "1";
        std::string date = DateText(h.Get("execdate"));
        if (date.empty()) date = DateText(h.Get("kdrq"));
        h.Close();

        const std::string target = "'" + EscapeQuote(bill.targetCode) + "'";
        if (bill.toBranchType) {
            bill.targetName = FirstText(c, "select name from glsx where fid=3 and id=" + target);
            db::Recordset b = c.OpenRecordset("select tjbh,mc from gl_custom where lx=" + target + " order by tjbh");
            for (int r = 0; r < static_cast<int>(b.RecordCount()); ++r)
                bill.branches.emplace_back(db::FieldText(b.At(r, 0)), db::FieldText(b.At(r, 1)));
            b.Close();
        } else {
            bill.targetName = FirstText(c, "select mc from gl_custom where tjbh=" + target);
        }

        db::Recordset l = c.OpenRecordset(
            "select b.hh,c.hh as kck,c.pm,c.gg,c.cd,c.pdw,b.pm as linepm,b.sj1,b.sj2 from SubAdjuctPricemx b "
            "left join yw_kck c on b.hh=c.hh where b.lsh=" + key + " order by cast(b.dh as int)");
        for (int r = 0; r < static_cast<int>(l.RecordCount()); ++r) {
            data::ShelfLabel label;
            label.itemCode = db::FieldText(l.At(r, 0));
            if (l.At(r, 1).IsNull()) {
                FromLineText(db::FieldText(l.At(r, 6)), label);
            } else {
                label.name = db::FieldText(l.At(r, 2));
                label.size = db::FieldText(l.At(r, 3));
                label.origin = db::FieldText(l.At(r, 4));
                label.unit = db::FieldText(l.At(r, 5));
            }
            label.oldPrice = RoundPrice(db::FieldNumber(l.At(r, 7)), decimals);
            label.newPrice = RoundPrice(db::FieldNumber(l.At(r, 8)), decimals);
            label.strikeOld = label.oldPrice > label.newPrice;
            label.execDate = date;
            bill.labels.push_back(std::move(label));
        }
        l.Close();
        bills.push_back(std::move(bill));
    }
    return bills;
}

std::vector<data::LabelSet> LabelSets(const std::vector<LabelBill>& bills, bool eachBranch) {
    std::vector<data::LabelSet> sets;
    for (const LabelBill& bill : bills) {
        if (bill.labels.empty()) continue;
        if (eachBranch && bill.toBranchType && !bill.branches.empty()) {
            for (const auto& [code, name] : bill.branches) sets.push_back({bill.serial, code, name, bill.labels});
        } else {
            sets.push_back({bill.serial, bill.targetCode, bill.targetName, bill.labels});
        }
    }
    return sets;
}

}  // namespace bill
