#include "bill/ReverseBill.h"

#include <set>

#include "bill/BillCopy.h"
#include "bill/EditorState.h"
#include "bill/FrmAdjuctPrice.h"
#include "data/HostContext.h"
#include "data/QueryRoutines.h"
#include "data/Rights.h"
#include "db/Connection.h"
#include "db/Error.h"
#include "db/TextUtil.h"
#include "ui/Toolkit.h"

namespace bill {
namespace {

using data::EscapeQuote;

constexpr size_t kItemsNamed = 10;

void Inform(const std::string& text) { ui::MsgBox(text, ui::Buttons::Ok, ui::Icon::Information, "系统提示"); }

// The question about the lines priced later; true to include them.
bool IncludeLater(const std::vector<LaterPrice>& later) {
    std::string text = "以下商品的价格已被其他单据修改：";
    for (size_t i = 0; i < later.size() && i < kItemsNamed; ++i)
        text += "\n货号" + later[i].hh + "：流水号" + later[i].lsh;
    if (later.size() > kItemsNamed) text += "\n……共" + std::to_string(later.size()) + "个商品";
    text += "\n是否一并冲回?";
    return ui::MsgBox(text, ui::Buttons::YesNo, ui::Icon::Question, "系统提示", ui::DefaultButton::Second) == ui::Answer::Yes;
}

}  // namespace

std::vector<LaterPrice> PricedLater(db::Connection& c, const std::string& lsh) {
    // The latest bill of each item first: by bill date, then by serial.
    db::Recordset rs = c.OpenRecordset(
        "select m.hh,b.lsh from SubAdjuctPricemx m inner join SubAdjuctPrice h on h.lsh=m.lsh inner join "
        "SubAdjuctPricemx a on a.hh=m.hh inner join SubAdjuctPrice b on b.lsh=a.lsh where h.lsh='" +
        EscapeQuote(lsh) +
        "' and b.dwbh=h.dwbh and b.shbz=1 and b.lsh<>h.lsh and (b.kdrq>h.kdrq or (b.kdrq=h.kdrq and "
        "cast(b.lsh as int)>cast(h.lsh as int))) order by m.hh,b.kdrq desc,cast(b.lsh as int) desc");
    std::vector<LaterPrice> later;
    for (long i = 0; i < rs.RecordCount(); ++i) {
        std::string hh = rs.At(i, 0).ToText();
        if (!later.empty() && db::text::Lower(later.back().hh) == db::text::Lower(hh)) continue;
        later.push_back({std::move(hh), rs.At(i, 1).ToText()});
    }
    rs.Close();
    return later;
}

void ReverseBill(FrmAdjuctPrice& editor) {
    if (!data::CheckRight("新增")) return;
    const std::string lsh = editor.TxtLSH.Text();
    if (Shared().IsNewBill || lsh.empty()) {
        Inform("此单据尚未保存，不能冲回!");
        return;
    }
    std::optional<StoredBill> source;
    std::vector<LaterPrice> later;
    try {
        db::Connection& c = data::HostConnection();
        source = ReadStoredBill(c, lsh);
        if (source && source->audited) later = PricedLater(c, lsh);
    } catch (const std::exception& e) {
        ui::MsgBox(db::DescriptionOf(e), ui::Buttons::Ok, ui::Icon::Exclamation, "系统提示");
        return;
    }
    if (!source) {
        Inform("此单据不存在，不能冲回!");
        return;
    }
    if (!source->audited) {
        Inform("此单据尚未审核，不能冲回!");
        return;
    }
    std::set<std::string> leftOut;
    if (!later.empty() && !IncludeLater(later))
        for (const auto& l : later) leftOut.insert(db::text::Lower(l.hh));

    NewBill bill;
    std::string serial;
    try {
        const TargetPrices now = TargetPrices::Read(data::HostConnection(), lsh, {source->header.dwbh});
        const auto& host = data::Host();
        bill.header = source->header;
        bill.header.kdrq = bill.header.execdate = host.SysDate.ToText();
        bill.header.bz = "冲回单据" + lsh;
        bill.header.czry = host.OptName;
        for (const auto& l : source->lines)
            if (!leftOut.contains(db::text::Lower(l.hh)))
                bill.lines.push_back({{}, {}, l.hh, l.pm, now.Of(source->header.dwbh, l.hh), l.sj1});
        if (bill.lines.empty()) {
            Inform(kNothingToReverse);
            return;
        }
        ui::BusyPointer busy;
        serial = WriteNewBills(editor, {std::move(bill)}).front();
    } catch (const BillRefused& r) {
        BillWriter::ReportRefusal(r);
        return;
    } catch (const std::exception& e) {
        BillWriter::ReportFailure(e, false);
        return;
    }
    // The new bill is the one in hand now, ready to be checked and audited.
    Shared().CurrentLsh = serial;
    editor.AmendAddNew(serial);
    Inform("已生成冲回单据，流水号：" + serial);
}

}  // namespace bill
