#include "bill/BillCopy.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "bill/EditorState.h"
#include "data/QueryRoutines.h"
#include "db/Connection.h"
#include "db/Error.h"
#include "db/NaturalOrder.h"
#include "db/TextUtil.h"

namespace bill {
namespace {

using data::EscapeQuote;

// Targets named in one price statement.
constexpr size_t kTargetsPerRead = 100;
constexpr int kAttempts = 3;

std::string DateText(const db::Value& v) {
    if (v.IsNull() || v.IsEmpty()) return {};
    try {
        return v.ToDate().ToText();
    } catch (...) {
        return {};
    }
}

std::int32_t MaxSerial(db::Connection& c) {
    db::Recordset rs = c.OpenRecordset(kMaxLshSql);
    const db::Value v = rs.RecordCount() > 0 ? rs.Get(0) : db::Value();
    rs.Close();
    return v.IsNull() || v.IsEmpty() ? 0 : v.ToInt32();
}

}  // namespace

std::optional<StoredBill> ReadStoredBill(db::Connection& c, const std::string& lsh) {
    const std::string key = EscapeQuote(lsh);
    db::Recordset h = c.OpenRecordset("select lsh,kdrq,execdate,bz,czry,dwbh,bz5,shbz from SubAdjuctPrice where lsh='" + key + "'");
    if (h.RecordCount() == 0) {
        h.Close();
        return std::nullopt;
    }
    StoredBill bill;
    bill.header = {h.Get("lsh").ToText(), DateText(h.Get("kdrq")),  DateText(h.Get("execdate")),
                   h.Get("bz").ToText(),  h.Get("czry").ToText(),    h.Get("dwbh").ToText(),
                   h.Get("bz5").ToText() == "1"};
    const db::Value shbz = h.Get("shbz");
    bill.audited = !(shbz.IsNull() || shbz.IsEmpty()) && shbz.ToBool();
    h.Close();
    db::Recordset rs = c.OpenRecordset("select dh,hh,pm,sj1,sj2 from SubAdjuctPricemx where lsh='" + key + "'");
    for (long i = 0; i < rs.RecordCount(); ++i)
        bill.lines.push_back({lsh, rs.At(i, 0).ToText(), rs.At(i, 1).ToText(), rs.At(i, 2).ToText(), db::FieldNumber(rs.At(i, 3)),
                              db::FieldNumber(rs.At(i, 4))});
    rs.Close();
    // Line numbers are texts holding numbers: "1000" comes after "200".
    std::stable_sort(bill.lines.begin(), bill.lines.end(),
                     [](const BillLine& a, const BillLine& b) { return db::NaturalLess(a.dh, b.dh); });
    return bill;
}

TargetPrices TargetPrices::Read(db::Connection& c, const std::string& lsh, const std::vector<std::string>& targets) {
    TargetPrices prices;
    for (size_t from = 0; from < targets.size(); from += kTargetsPerRead) {
        std::string list;
        for (size_t i = from; i < targets.size() && i < from + kTargetsPerRead; ++i)
            list += (list.empty() ? "'" : ",'") + EscapeQuote(targets[i]) + "'";
        db::Recordset rs = c.OpenRecordset(
            "select g.dwbh,g.hh,g.sellprice from glprice g where g.dwbh in (" + list +
            ") and g.hh in (select m.hh from SubAdjuctPricemx m where m.lsh='" + EscapeQuote(lsh) + "')");
        for (long i = 0; i < rs.RecordCount(); ++i)
            prices.prices_.emplace(std::make_pair(db::text::Lower(rs.At(i, 0).ToText()), db::text::Lower(rs.At(i, 1).ToText())),
                                   db::FieldNumber(rs.At(i, 2)));
        rs.Close();
    }
    return prices;
}

double TargetPrices::Of(const std::string& target, const std::string& hh) const {
    const auto it = prices_.find({db::text::Lower(target), db::text::Lower(hh)});
    return it == prices_.end() ? 0.0 : it->second;
}

std::vector<std::string> WriteNewBills(FrmAdjuctPrice& editor, std::vector<NewBill> bills) {
    constexpr std::int32_t kMaxLines = (std::numeric_limits<std::int16_t>::max()) / 100;
    std::vector<BillLine> lines;
    for (const auto& b : bills) {
        if (b.lines.size() > static_cast<size_t>(kMaxLines)) throw db::Error(db::ErrorCode::Overflow, "溢出");
        lines.insert(lines.end(), b.lines.begin(), b.lines.end());
    }
    db::Connection& c = data::HostConnection();
    for (int attempt = 1;; ++attempt) {
        try {
            db::TransactionGuard transaction(c);
            const std::int64_t first = static_cast<std::int64_t>(MaxSerial(c)) + 1;
            if (first + static_cast<std::int64_t>(bills.size()) - 1 > std::numeric_limits<std::int32_t>::max())
                throw db::Error(db::ErrorCode::Overflow, "溢出");
            std::vector<std::string> serials;
            BillWriter writer(editor, c);
            size_t at = 0;
            for (size_t i = 0; i < bills.size(); ++i) {
                serials.push_back(std::to_string(first + static_cast<std::int64_t>(i)));
                bills[i].header.lsh = serials.back();
                writer.InsertHeader(bills[i].header);
                for (size_t n = 0; n < bills[i].lines.size(); ++n, ++at) {
                    lines[at].lsh = serials.back();
                    lines[at].dh = std::to_string((n + 1) * 100);
                }
            }
            writer.InsertLines(lines);
            transaction.Commit();
            return serials;
        } catch (const db::Error& e) {
            if (attempt >= kAttempts || e.Code() != db::ErrorCode::IntegrityViolation) throw;
        }
    }
}

}  // namespace bill
