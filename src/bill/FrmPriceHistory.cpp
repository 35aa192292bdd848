#include "bill/FrmPriceHistory.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "bill/FrmAdjuctPrice.h"
#include "bill/ListRecordset.h"
#include "bill/PendingPrices.h"
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

// The price as a step line: each day with audited bills moves it from the price before that day
// to the price its last bill set (several bills of one day make one step); the line then holds
// until the business date, and steps there to the current price when that differs.
std::vector<PricePoint> Steps(const std::vector<HistoryLine>& newestFirst, const std::optional<double>& current) {
    std::vector<PricePoint> points;
    std::optional<double> before;  // the price held before the day in hand
    std::optional<db::DateTime> day;
    std::optional<double> dayStart;
    auto closeDay = [&] {
        if (!day || !before) return;
        if (!dayStart || *dayStart != *before) {
            if (dayStart) points.push_back({*day, *dayStart});
            points.push_back({*day, *before});
        }
    };
    for (auto it = newestFirst.rbegin(); it != newestFirst.rend(); ++it) {
        if (it->kdrq.IsNull() || it->kdrq.IsEmpty() || !it->sj2) continue;
        db::DateTime date;
        try {
            date = it->kdrq.ToDate();
        } catch (...) {
            continue;
        }
        date.hour = date.minute = date.second = 0;
        if (!day || !(*day == date)) {
            closeDay();
            day = date;
            dayStart = before ? before : it->sj1;
        }
        before = it->sj2;
    }
    closeDay();
    if (before) {
        db::DateTime end = data::Host().SysDate;
        end.hour = end.minute = end.second = 0;
        if (!points.empty()) end = std::max(end, points.back().date);
        points.push_back({end, *before});
        if (current && *current != *before) points.push_back({end, *current});
    } else if (current) {
        points.push_back({data::Host().SysDate, *current});
    }
    return points;
}

}  // namespace

PriceAxis RoundPriceAxis(double low, double high, int priceDecimals, int maxTicks) {
    if (!std::isfinite(low) || !std::isfinite(high)) low = high = 0;
    if (low > high) std::swap(low, high);
    maxTicks = std::max(maxTicks, 2);
    // Room around the prices: a tenth of their span, or of the price itself when there is one.
    const double margin = high > low ? (high - low) * 0.1 : std::max(1.0, std::fabs(high) * 0.1);
    double from = low - margin, to = high + margin;
    if (low >= 0) from = std::max(0.0, from);
    PriceAxis axis;
    const double raw = (to - from) / (maxTicks - 1);
    double power = std::pow(10.0, std::floor(std::log10(raw)));
    static constexpr double kSteps[] = {1, 2, 2.5, 5, 10};
    for (int round = 0; round < 8; ++round) {
        for (double m : kSteps) {
            const double step = m * power;
            if (step < raw * (1 - 1e-9)) continue;
            const double first = std::floor(from / step + 1e-9) * step, last = std::ceil(to / step - 1e-9) * step;
            const int ticks = static_cast<int>(std::lround((last - first) / step)) + 1;
            if (ticks > maxTicks) continue;
            axis.min = first == 0 ? 0.0 : first;
            axis.max = last;
            axis.step = step;
            axis.ticks = ticks;
            // Decimals of the step: 2.5 × 10^-1 needs two, 5 × 10^-1 one, 10 none.
            int places = 0;
            while (places < 6 && std::fabs(step * std::pow(10.0, places) - std::round(step * std::pow(10.0, places))) > 1e-6)
                ++places;
            axis.labelDecimals = std::max(places, std::clamp(priceDecimals, 0, 6));
            return axis;
        }
        power *= 10;
    }
    axis.min = from;
    axis.max = to;
    axis.step = to - from;
    return axis;
}

FrmPriceHistory::FrmPriceHistory(std::string item, std::string target, std::string targetName)
    : ui::Dialog("FrmPriceHistory", kPriceHistoryCaption),
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
        // Audited bills whose prices wait for their date: listed with that date, not yet on the chart.
        const bool waits = PricesWaitForExecDate();
        std::map<std::string, std::string> waiting;
        if (waits && !audited.empty()) {
            EnsurePendingTable(c);
            std::vector<std::string> serials;
            for (const auto& l : audited) serials.push_back(l.lsh);
            waiting = WaitingBills(c, serials);
        }
        std::vector<HistoryLine> effective;
        std::vector<std::vector<db::Value>> rows;
        for (const auto& l : audited) {
            rows.push_back({db::Value::Text(db::FieldDay(l.kdrq)), db::Value::Text(db::FieldDay(l.execdate)),
                            db::Value::Text(l.lsh), PriceCell(l.sj1, decimals), PriceCell(l.sj2, decimals),
                            db::Value::Text(l.sj1 && l.sj2 ? PercentText(*l.sj1, *l.sj2) : ""), db::Value::Text(l.czry),
                            db::Value::Text(l.shry)});
            const auto w = waiting.find(l.lsh);
            if (waits) rows.back().push_back(db::Value::Text(w == waiting.end() ? "" : w->second + " " + kPendingState));
            if (w == waiting.end()) effective.push_back(l);
        }
        std::vector<std::string> headings{"开单日期", "执行日期", "流水号", "原售价", "新售价", "涨跌幅", "操作人员", "审核人员"};
        if (waits) headings.push_back("生效状态");
        VfgAudited.Bind(ListRecordset(std::move(headings), std::move(rows)));
        for (int amount : {4, 5, 6}) VfgAudited.SetColFormat(amount, {.right = true});
        rows.clear();
        for (const auto& l : pending)
            rows.push_back({db::Value::Text(db::FieldDay(l.kdrq)), db::Value::Text(db::FieldDay(l.execdate)),
                            db::Value::Text(l.lsh), PriceCell(l.sj1, decimals), PriceCell(l.sj2, decimals),
                            db::Value::Text(l.sj1 && l.sj2 ? PercentText(*l.sj1, *l.sj2) : ""), db::Value::Text(l.czry)});
        VfgPending.Bind(
            ListRecordset({"开单日期", "执行日期", "流水号", "原售价", "新售价", "涨跌幅", "操作人员"}, std::move(rows)));
        for (int amount : {4, 5, 6}) VfgPending.SetColFormat(amount, {.right = true});
        ChtPrice.SetPoints(Steps(effective, current_));
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
