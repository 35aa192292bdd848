#include "bill/FrmPriceHistory.h"

#include <algorithm>

#include "bill/FrmAdjuctPrice.h"
#include "bill/ListRecordset.h"
#include "bill/PriceRounding.h"
#include "data/HostContext.h"
#include "data/QueryRoutines.h"
#include "db/Connection.h"
#include "db/Error.h"
#include "ui/Keys.h"
#include "ui/Toolkit.h"

namespace bill {
namespace {

using data::EscapeQuote;

std::string DateText(const db::Value& v) {
    if (v.IsNull() || v.IsEmpty()) return {};
    try {
        return v.ToDate().DateText();
    } catch (...) {
        return v.ToText();
    }
}

std::optional<double> Number(const db::Value& v) {
    if (v.IsNull() || v.IsEmpty()) return std::nullopt;
    return v.ToDouble();
}

// One bill line of the item, as the history lists it.
struct HistoryLine {
    db::Value kdrq, execdate;
    std::string lsh, czry, shry;
    std::optional<double> sj1, sj2;
};

std::vector<HistoryLine> ReadLines(db::Connection& c, const std::string& item, const std::string& target, bool audited) {
    const std::string sql =
        "select b.kdrq,b.execdate,b.lsh,a.sj1,a.sj2,b.czry,b.shry from SubAdjuctPricemx a inner join SubAdjuctPrice b on "
        "a.lsh=b.lsh where a.hh='" +
        EscapeQuote(item) + "' and b.dwbh='" + EscapeQuote(target) + "' and " +
        (audited ? "b.shbz=1" : "isnull(b.shbz,0)=0") + " order by b.kdrq desc,cast(b.lsh as int) desc";
    db::Recordset rs = c.OpenRecordset(sql);
    std::vector<HistoryLine> lines;
    for (long i = 0; i < rs.RecordCount(); ++i)
        lines.push_back({rs.At(i, 0), rs.At(i, 1), rs.At(i, 2).ToText(), rs.At(i, 5).ToText(), rs.At(i, 6).ToText(),
                         Number(rs.At(i, 3)), Number(rs.At(i, 4))});
    rs.Close();
    return lines;
}

db::Value PriceCell(const std::optional<double>& p, int decimals) {
    return p ? db::Value::Text(PriceText(*p, decimals)) : db::Value::Text("");
}

// The price as a step line: each audited bill moves it from the price before to its new price on
// its bill date; the line ends at the current price on the business date.
std::vector<PricePoint> Steps(const std::vector<HistoryLine>& newestFirst, const std::optional<double>& current) {
    std::vector<PricePoint> points;
    std::optional<double> before;
    for (auto it = newestFirst.rbegin(); it != newestFirst.rend(); ++it) {
        if (it->kdrq.IsNull() || it->kdrq.IsEmpty() || !it->sj2) continue;
        db::DateTime date;
        try {
            date = it->kdrq.ToDate();
        } catch (...) {
            continue;
        }
        date.hour = date.minute = date.second = 0;
        if (!before) before = it->sj1;
        if (before) points.push_back({date, *before});
        points.push_back({date, *it->sj2});
        before = it->sj2;
    }
    const std::optional<double> last = current ? current : before;
    if (last) {
        db::DateTime end = data::Host().SysDate;
        if (!points.empty()) end = std::max(end, points.back().date);
        points.push_back({end, *last});
    }
    return points;
}

}  // namespace

FrmPriceHistory::FrmPriceHistory(std::string item, std::string target, std::string targetName)
    : ui::Window("FrmPriceHistory", kPriceHistoryCaption),
      item_(std::move(item)),
      target_(std::move(target)),
      targetName_(std::move(targetName)) {
    SetDesignSize(12600, 7800);
    LabNothing.SetVisible(false);
    CmdClose.SetCancel(true);
    CmdClose.onClick = [this] { Close(); };
    int tab = 0;
    for (ui::Control* c : std::initializer_list<ui::Control*>{&VfgAudited, &VfgPending, &CmdClose}) c->SetTabIndex(tab++);
}

void FrmPriceHistory::OnKeyDown(int& key, int) {
    if (key == ui::Key::Escape) {
        key = 0;
        Close();
    }
}

void FrmPriceHistory::OnUnload() {
    VfgAudited.Unbind();
    VfgPending.Unbind();
}

void FrmPriceHistory::Form_Load() {
    const bool byType = data::Host().BranchMode == data::ByBranchType;
    const int decimals = PriceDecimals();
    LabItem.SetCaption("货号: " + item_);
    LabTarget.SetCaption(std::string(byType ? "分支机构类型: " : "分支机构: ") + target_ +
                         (targetName_.empty() ? "" : "  " + targetName_));
    ChtPrice.SetDecimals(decimals);
    try {
        ui::BusyPointer busy;
        db::Connection& c = data::HostConnection();
        const std::string item = EscapeQuote(item_);
        db::Recordset master = c.OpenRecordset("select hh,pm,gg,cd,pdw from yw_kck where hh='" + item + "'");
        if (master.RecordCount() > 0)
            LabItem.SetCaption("货号: " + master.Get(0).ToText() + "  " + master.Get(1).ToText() + "\\" +
                               master.Get(2).ToText() + "\\" + master.Get(3).ToText() + "\\" + master.Get(4).ToText());
        master.Close();

        db::Recordset price =
            c.OpenRecordset("select sellprice from glprice where hh='" + item + "' and dwbh='" + EscapeQuote(target_) + "'");
        current_ = price.RecordCount() > 0 ? Number(price.Get(0)) : std::nullopt;
        price.Close();
        LabCurrent.SetCaption("当前售价: " + (current_ ? PriceText(*current_, decimals) : std::string("无")));

        const auto audited = ReadLines(c, item_, target_, true);
        const auto pending = ReadLines(c, item_, target_, false);
        std::vector<std::vector<db::Value>> rows;
        for (const auto& l : audited)
            rows.push_back({db::Value::Text(DateText(l.kdrq)), db::Value::Text(DateText(l.execdate)), db::Value::Text(l.lsh),
                            PriceCell(l.sj1, decimals), PriceCell(l.sj2, decimals),
                            db::Value::Text(l.sj1 && l.sj2 ? PercentText(*l.sj1, *l.sj2) : ""), db::Value::Text(l.czry),
                            db::Value::Text(l.shry)});
        VfgAudited.Bind(ListRecordset({"开单日期", "执行日期", "流水号", "原售价", "新售价", "涨跌幅", "操作人员", "审核人员"},
                                      std::move(rows)));
        rows.clear();
        for (const auto& l : pending)
            rows.push_back({db::Value::Text(DateText(l.kdrq)), db::Value::Text(DateText(l.execdate)), db::Value::Text(l.lsh),
                            PriceCell(l.sj1, decimals), PriceCell(l.sj2, decimals),
                            db::Value::Text(l.sj1 && l.sj2 ? PercentText(*l.sj1, *l.sj2) : ""), db::Value::Text(l.czry)});
        VfgPending.Bind(
            ListRecordset({"开单日期", "执行日期", "流水号", "原售价", "新售价", "涨跌幅", "操作人员"}, std::move(rows)));
        ChtPrice.SetPoints(Steps(audited, current_));
        LabNothing.SetVisible(audited.empty() && pending.empty());
    } catch (const std::exception& e) {
        ui::MsgBox(db::DescriptionOf(e), ui::Buttons::Ok, ui::Icon::Exclamation, "系统提示");
    }
}

void FrmPriceHistory::Run(FrmAdjuctPrice& editor) {
    std::string item = editor.TxtHH.Text();
    if (item.empty()) {
        try {
            if (const int row = editor.VfgContent.Row(); row > 0) item = editor.VfgContent.TextMatrix(row, 2);
        } catch (...) {
        }
    }
    if (item.empty()) {
        ui::MsgBox("请先输入货号或在明细中选择一行!", ui::Buttons::Ok, ui::Icon::Information, "系统提示");
        return;
    }
    if (editor.TxtDwbh.Text().empty()) {
        ui::MsgBox("请先输入分支机构!", ui::Buttons::Ok, ui::Icon::Information, "系统提示");
        return;
    }
    FrmPriceHistory w(item, editor.TxtDwbh.Text(), editor.txtDwmc.Text());
    w.ShowModal();
}

}  // namespace bill
