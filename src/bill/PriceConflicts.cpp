#include "bill/PriceConflicts.h"

#include "bill/FrmAdjuctPrice.h"
#include "bill/PendingPrices.h"
#include "data/QueryRoutines.h"
#include "db/Connection.h"
#include "db/Error.h"
#include "ui/Toolkit.h"

namespace bill {
namespace {

using data::EscapeQuote;

constexpr size_t kSerialsNamed = 5;
constexpr size_t kItemsNamed = 10;

}  // namespace

std::string OpenConflictText(const std::string& item, const std::vector<std::string>& serials) {
    if (serials.empty()) return {};
    std::string list;
    for (size_t i = 0; i < serials.size() && i < kSerialsNamed; ++i) list += (i ? "、" : "") + serials[i];
    if (serials.size() > kSerialsNamed) list += "等" + std::to_string(serials.size()) + "张单据";
    return "注意：货号为'" + item + "'的商品已在其他未审核的调价单中调价（流水号：" + list + "）";
}

std::string OpenConflictNote(const FrmAdjuctPrice& editor) {
    try {
        const std::string item = editor.TxtHH.Text();
        const std::string target = editor.TxtDwbh.Text();
        std::vector<std::string> serials;
        if (!item.empty() && !target.empty()) {
            db::Recordset rs = data::HostConnection().OpenRecordset(
                "select b.lsh from SubAdjuctPricemx a inner join SubAdjuctPrice b on a.lsh=b.lsh where a.hh='" +
                EscapeQuote(item) + "' and b.dwbh='" + EscapeQuote(target) + "' and isnull(b.shbz,0)=0 and b.lsh<>'" +
                EscapeQuote(editor.TxtLSH.Text()) + "' group by b.lsh order by cast(b.lsh as int)");
            for (long i = 0; i < rs.RecordCount(); ++i) serials.push_back(rs.At(i, 0).ToText());
            rs.Close();
        }
        std::string note = OpenConflictText(item, serials);
        if (PricesWaitForExecDate())
            if (const std::string w = WaitingConflictNote(editor); !w.empty())
                note += note.empty() ? "注意：货号为'" + item + "'的商品" + w : "；" + w;
        return note;
    } catch (...) {
        return {};
    }
}

bool ConfirmLaterAudits(FrmAdjuctPrice&, const std::string& lsh) {
    std::vector<std::string> lines;
    size_t items = 0;
    try {
        // Ordered by the later bill's line (a.hh equals m.hh): ordered by m.hh, SQLite walks every line
        // of this bill first; this way it starts from the later audited bills of the branch, mostly none.
        db::Recordset rs = data::HostConnection().OpenRecordset(
            "select m.hh,b.lsh,b.kdrq from SubAdjuctPricemx m inner join SubAdjuctPrice h on h.lsh=m.lsh inner join "
            "SubAdjuctPricemx a on a.hh=m.hh inner join SubAdjuctPrice b on b.lsh=a.lsh where h.lsh='" +
            EscapeQuote(lsh) +
            "' and isnull(h.shbz,0)=0 and b.dwbh=h.dwbh and b.shbz=1 and b.lsh<>h.lsh and b.kdrq>h.kdrq order by a.hh,b.kdrq "
            "desc,cast(b.lsh as int) desc");
        std::string last;
        for (long i = 0; i < rs.RecordCount(); ++i) {
            const std::string hh = rs.At(i, 0).ToText();
            if (i > 0 && hh == last) continue;  // the latest bill of each item
            last = hh;
            if (++items <= kItemsNamed)
                lines.push_back("货号" + hh + "：流水号" + rs.At(i, 1).ToText() + "（" + db::FieldDay(rs.At(i, 2)) + "）");
        }
        rs.Close();
    } catch (const std::exception& e) {
        ui::MsgBox(db::DescriptionOf(e), ui::Buttons::Ok, ui::Icon::Critical, "系统提示");
        return false;
    }
    if (items == 0) return true;
    std::string text = "以下商品的售价已由开单日期更晚的已审核单据调整，审核本单据将以本单据的价格覆盖：";
    for (const auto& l : lines) text += "\n" + l;
    if (items > kItemsNamed) text += "\n……共" + std::to_string(items) + "个商品";
    text += "\n确实要审核此单据吗?";
    return ui::MsgBox(text, ui::Buttons::YesNo, ui::Icon::Question, "系统提示", ui::DefaultButton::Second) == ui::Answer::Yes;
}

}  // namespace bill
