#include "bill/ImportCheck.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "bill/PriceRounding.h"
#include "data/QueryRoutines.h"
#include "db/Connection.h"

namespace bill {
namespace {

using data::EscapeQuote;

std::string Trim(const std::string& s) {
    // Blanks, tabs and the full-width blank U+3000 that Chinese input leaves.
    size_t b = 0, e = s.size();
    auto ideographic = [&](size_t at) { return at + 3 <= s.size() && s.compare(at, 3, "\xE3\x80\x80") == 0; };
    while (b < e) {
        if (s[b] == ' ' || s[b] == '\t') ++b;
        else if (ideographic(b)) b += 3;
        else break;
    }
    while (e > b) {
        if (s[e - 1] == ' ' || s[e - 1] == '\t') --e;
        else if (e - b >= 3 && ideographic(e - 3)) e -= 3;
        else break;
    }
    return s.substr(b, e - b);
}

std::string Cell(const SheetRow& r, int col) {
    return col >= 0 && static_cast<size_t>(col) < r.cells.size() ? Trim(r.cells[col]) : std::string();
}

// Runs `sql` once per batch of codes, with the batch as the list of an "in (...)".
template <typename F>
void ForBatches(db::Connection& c, const std::vector<std::string>& codes, const std::string& before, const std::string& after,
                F&& onRow) {
    for (size_t at = 0; at < codes.size(); at += ImportCheck::kBatch) {
        std::string list;
        for (size_t i = at; i < std::min(codes.size(), at + ImportCheck::kBatch); ++i) {
            if (!list.empty()) list += ',';
            list += "'" + EscapeQuote(codes[i]) + "'";
        }
        db::Recordset rs = c.OpenRecordset(before + list + after);
        for (long i = 0; i < rs.RecordCount(); ++i) onRow(rs, i);
        rs.Close();
    }
}

std::string Text(const db::Value& v) { return v.ToText(); }

}  // namespace

const char* VerdictText(Verdict v) {
    switch (v) {
        case Verdict::Ready: return "可导入";
        case Verdict::EmptyCode: return "货号为空";
        case Verdict::UnknownItem: return "商品不存在";
        case Verdict::DeletedItem: return "商品已删除";
        case Verdict::OnBill: return "单据上已有此商品";
        case Verdict::DuplicateInFile: return "文件中重复";
        case Verdict::PriceNotNumber: return "新售价不是数字";
        case Verdict::NegativePrice: return "新售价为负数";
        case Verdict::PriceTooLarge: return "新售价超出范围（整数部分最多14位）";
        case Verdict::BillFull: return "超出单据行数上限";
        case Verdict::Imported: return "已导入";
    }
    return "";
}

std::string ImportCheck::Key(std::string code) {
    for (char& ch : code)
        if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
    return code;
}

std::vector<ImportRow> ImportCheck::RowsOf(const std::vector<SheetRow>& sheet) {
    std::vector<ImportRow> rows;
    if (sheet.empty()) return rows;
    int codeCol = -1, priceCol = -1;
    const SheetRow& first = sheet.front();
    for (size_t i = 0; i < first.cells.size(); ++i) {
        const std::string heading = Trim(first.cells[i]);
        if (heading == "货号" && codeCol < 0) codeCol = static_cast<int>(i);
        if (heading == "新售价" && priceCol < 0) priceCol = static_cast<int>(i);
    }
    const bool headings = codeCol >= 0 || priceCol >= 0;
    if (codeCol < 0) codeCol = priceCol == 0 ? 1 : 0;
    if (priceCol < 0) priceCol = codeCol + 1;
    for (size_t i = headings ? 1 : 0; i < sheet.size(); ++i) {
        ImportRow r;
        r.fileRow = sheet[i].number;
        r.code = Cell(sheet[i], codeCol);
        r.priceText = Cell(sheet[i], priceCol);
        rows.push_back(std::move(r));
    }
    return rows;
}

std::vector<std::string> ImportCheck::CodesOnBill(db::Connection& c, const std::string& lsh) {
    db::Recordset rs = c.OpenRecordset("select hh from SubAdjuctPricemx where lsh='" + EscapeQuote(lsh) + "'");
    std::vector<std::string> codes;
    for (long i = 0; i < rs.RecordCount(); ++i) codes.push_back(Key(rs.At(i, 0).ToText()));
    rs.Close();
    return codes;
}

void ImportCheck::Judge(std::vector<ImportRow>& rows, db::Connection& c, const std::string& lsh, const std::string& target,
                        int room, int decimals) {
    struct Item {
        std::string hh, pm;
        bool deleted = false;
    };
    std::unordered_map<std::string, Item> items;
    std::unordered_map<std::string, double> prices;

    std::vector<std::string> codes;
    std::unordered_set<std::string> asked;
    for (const auto& r : rows)
        if (!r.code.empty() && asked.insert(Key(r.code)).second) codes.push_back(r.code);
    ForBatches(c, codes, "select hh,pm,gg,cd,pdw,FDeleted from yw_kck where hh in (", ")", [&](db::Recordset& rs, long i) {
        const db::Value& deleted = rs.At(i, 5);
        Item item{Text(rs.At(i, 0)),
                  Text(rs.At(i, 1)) + "\\" + Text(rs.At(i, 2)) + "\\" + Text(rs.At(i, 3)) + "\\" + Text(rs.At(i, 4)),
                  !deleted.IsNull() && !deleted.IsEmpty() && deleted.ToDouble() != 0};
        items.emplace(Key(item.hh), std::move(item));
    });
    ForBatches(c, codes, "select hh,sellprice from glprice where dwbh='" + EscapeQuote(target) + "' and hh in (", ")",
               [&](db::Recordset& rs, long i) {
                   const db::Value& p = rs.At(i, 1);
                   prices[Key(Text(rs.At(i, 0)))] = p.IsNull() || p.IsEmpty() ? 0.0 : p.ToDouble();
               });
    const std::vector<std::string> onBill = CodesOnBill(c, lsh);
    const std::unordered_set<std::string> billCodes(onBill.begin(), onBill.end());

    std::unordered_set<std::string> seen;
    int ready = 0;
    for (auto& r : rows) {
        r.hh.clear();
        r.pm.clear();
        r.oldPrice = r.newPrice = 0;
        const std::string key = Key(r.code);
        const bool repeated = !r.code.empty() && !seen.insert(key).second;
        const auto item = items.find(key);
        const auto price = ParsePrice(r.priceText);
        const PriceFault fault = price ? CheckPrice(RoundPrice(*price, decimals)) : PriceFault::None;
        if (r.code.empty()) r.verdict = Verdict::EmptyCode;
        else if (item == items.end()) r.verdict = Verdict::UnknownItem;
        else if (item->second.deleted) r.verdict = Verdict::DeletedItem;
        else if (billCodes.count(key)) r.verdict = Verdict::OnBill;
        else if (repeated) r.verdict = Verdict::DuplicateInFile;
        else if (!price) r.verdict = Verdict::PriceNotNumber;
        else if (fault == PriceFault::Negative) r.verdict = Verdict::NegativePrice;
        else if (fault != PriceFault::None) r.verdict = Verdict::PriceTooLarge;
        else if (ready >= room) r.verdict = Verdict::BillFull;
        else {
            r.verdict = Verdict::Ready;
            ++ready;
            r.hh = item->second.hh;
            r.pm = item->second.pm;
            const auto p = prices.find(key);
            r.oldPrice = p == prices.end() ? 0.0 : p->second;
            r.newPrice = RoundPrice(*price, decimals);
        }
    }
}

}  // namespace bill
