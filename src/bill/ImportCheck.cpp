#include "bill/ImportCheck.h"

#include <algorithm>
#include <stdexcept>
#include <unordered_map>
#include <unordered_set>

#include "bill/PriceRounding.h"
#include "data/QueryRoutines.h"
#include "db/Connection.h"
#include "db/TextUtil.h"

namespace bill {
namespace {

using data::EscapeQuote;

using db::text::FullWidthBlank;
using db::text::TrimView;

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
        case Verdict::HasNul: return "含有空字符";
        case Verdict::EmptyCode: return "货号为空";
        case Verdict::UnknownItem: return "商品不存在";
        case Verdict::DeletedItem: return "商品已删除";
        case Verdict::OnBill: return "单据上已有此商品";
        case Verdict::DuplicateInFile: return "文件中重复";
        case Verdict::PriceNotNumber: return "新售价不是数字";
        case Verdict::NegativePrice: return "新售价为负数";
        case Verdict::PriceOutOfRange: return "新售价超出范围（整数部分最多14位）";
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

void RowPicker::Cell(int column, std::string_view text, bool cut) {
    if (blank_ && (cut || text.find_first_not_of(" \t") != std::string_view::npos)) blank_ = false;
    if (!decided_) {
        // Cells pasted from Chinese spreadsheets often carry the full-width blank U+3000.
        const std::string_view heading = TrimView(text, FullWidthBlank::Trimmed);
        if (heading == "货号" && headCode_ < 0) headCode_ = column;
        if (heading == "新售价" && headPrice_ < 0) headPrice_ = column;
    }
    if (column == codeCol_) row_.code = TrimView(text, FullWidthBlank::Trimmed);
    else if (column == priceCol_) row_.priceText = TrimView(text, FullWidthBlank::Trimmed);
    else return;
    cut_ = cut_ || cut;
}

void RowPicker::EndRow(int number) {
    ImportRow row = std::move(row_);
    const bool blank = blank_, cut = cut_;
    row_ = {};
    blank_ = true;
    cut_ = false;
    if (blank) return;
    if (!decided_) {
        decided_ = true;
        if (headCode_ >= 0 || headPrice_ >= 0) {
            codeCol_ = headCode_ >= 0 ? headCode_ : (headPrice_ == 0 ? 1 : 0);
            priceCol_ = headPrice_ >= 0 ? headPrice_ : codeCol_ + 1;
            return;  // the headings
        }
    }
    if (rows_.size() >= maxRows_)
        throw std::runtime_error("文件的数据超过" + std::to_string(maxRows_) + "行(一张单据最多" + std::to_string(maxRows_) +
                                 "行明细)，请分成几个文件导入");
    if (cut)
        throw std::runtime_error("文件第" + std::to_string(number) + "行的货号或新售价超过" + std::to_string(kMaxCellBytes) +
                                 "字节，不能导入");
    row.fileRow = number;
    rows_.push_back(std::move(row));
}

std::vector<ImportRow> ImportCheck::RowsOf(const std::vector<SheetRow>& sheet) {
    RowPicker picker(sheet.size());
    for (const auto& r : sheet) {
        for (size_t i = 0; i < r.cells.size(); ++i) picker.Cell(static_cast<int>(i), r.cells[i], false);
        picker.EndRow(r.number);
    }
    return picker.Take();
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
    // A NUL cannot be sent in a statement, and no item code holds one.
    auto hasNul = [](const ImportRow& r) {
        return r.code.find('\0') != std::string::npos || r.priceText.find('\0') != std::string::npos;
    };
    for (const auto& r : rows)
        if (!r.code.empty() && !hasNul(r) && asked.insert(Key(r.code)).second) codes.push_back(r.code);
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
        if (hasNul(r)) {
            r.verdict = Verdict::HasNul;
            continue;
        }
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
        else if (fault != PriceFault::None) r.verdict = Verdict::PriceOutOfRange;
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
