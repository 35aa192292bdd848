#include "bill/FrmBillTotals.h"

#include "bill/FrmAdjuctPrice.h"
#include "bill/PriceRounding.h"
#include "data/QueryRoutines.h"
#include "db/Connection.h"
#include "db/Error.h"
#include "ui/Keys.h"
#include "ui/Toolkit.h"

namespace bill {
namespace {

double PriceOf(const db::Value& v) { return v.IsNull() || v.IsEmpty() ? 0.0 : v.ToDouble(); }

std::string Percent(const std::optional<double>& p) {
    if (!p) return "无";
    // The same form as a line's change: PercentText of 100 against 100 + p.
    return PercentText(100.0, 100.0 + *p);
}

std::string Extreme(const std::optional<TotalsLine>& l, int decimals) {
    if (!l) return "无";
    return l->hh + "  " + l->pm + "  " + PriceText(l->sj1, decimals) + " → " + PriceText(l->sj2, decimals) + " (" +
           PercentText(l->sj1, l->sj2) + ")";
}

}  // namespace

FrmBillTotals::FrmBillTotals(std::string lsh) : ui::Dialog("FrmBillTotals", kBillTotalsCaption), lsh_(std::move(lsh)) {
    SetDesignSize(7200, 4800);
    CmdClose.SetCancel(true);
    CmdClose.SetTabIndex(0);
    CmdClose.onClick = [this] { Close(); };
}

void FrmBillTotals::Form_Load() {
    const int decimals = PriceDecimals();
    LabBill.SetCaption("流水号: " + lsh_);
    try {
        db::Recordset rs = data::HostConnection().OpenRecordset(
            "select a.hh,a.pm,a.sj1,a.sj2 from SubAdjuctPricemx a where a.lsh='" + data::EscapeQuote(lsh_) + "' order by a.dh");
        std::vector<TotalsLine> lines;
        for (long i = 0; i < rs.RecordCount(); ++i)
            lines.push_back({rs.At(i, 0).ToText(), rs.At(i, 1).ToText(), PriceOf(rs.At(i, 2)), PriceOf(rs.At(i, 3))});
        rs.Close();
        totals_ = BillTotals::Of(lines);
    } catch (const std::exception& e) {
        ui::MsgBox(db::DescriptionOf(e), ui::Buttons::Ok, ui::Icon::Exclamation, "系统提示");
    }
    LabLines.SetCaption(std::to_string(totals_.lines));
    LabOldSum.SetCaption(PriceText(totals_.oldSum, decimals));
    LabNewSum.SetCaption(PriceText(totals_.newSum, decimals));
    LabAverage.SetCaption(Percent(totals_.averagePercent));
    LabSumPercent.SetCaption(Percent(totals_.sumPercent));
    LabRise.SetCaption(Extreme(totals_.largestRise, decimals));
    LabFall.SetCaption(Extreme(totals_.largestFall, decimals));
}

void FrmBillTotals::Run(FrmAdjuctPrice& editor) {
    FrmBillTotals w(editor.TxtLSH.Text());
    w.ShowModal();
}

}  // namespace bill
