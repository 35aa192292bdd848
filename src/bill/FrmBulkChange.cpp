#include "bill/FrmBulkChange.h"

#include <algorithm>
#include <iterator>
#include <map>

#include "bill/BillWriter.h"
#include "bill/EditorState.h"
#include "bill/FrmAdjuctPrice.h"
#include "bill/ListRecordset.h"
#include "bill/PriceRounding.h"
#include "data/QueryRoutines.h"
#include "data/Rights.h"
#include "db/Connection.h"
#include "db/Error.h"
#include "db/NaturalOrder.h"
#include "ui/Keys.h"
#include "ui/Toolkit.h"

namespace bill {
namespace {

using data::EscapeQuote;

double PriceOf(const db::Value& v) { return v.IsNull() || v.IsEmpty() ? 0.0 : v.ToDouble(); }

std::vector<FrmBulkChange::Line> ReadLines(db::Connection& c, const std::string& lsh) {
    db::Recordset rs = c.OpenRecordset("select a.dh,a.hh,a.pm,a.sj1,a.sj2 from SubAdjuctPricemx a where a.lsh='" +
                                       EscapeQuote(lsh) + "' order by a.dh");
    std::vector<FrmBulkChange::Line> lines;
    for (long i = 0; i < rs.RecordCount(); ++i) {
        FrmBulkChange::Line l;
        l.dh = rs.At(i, 0).ToText();
        l.hh = rs.At(i, 1).ToText();
        l.pm = rs.At(i, 2).ToText();
        l.sj1 = PriceOf(rs.At(i, 3));
        l.sj2 = PriceOf(rs.At(i, 4));
        lines.push_back(std::move(l));
    }
    rs.Close();
    // Line numbers are texts: "1000" is ordered before "200" by the statement.
    std::stable_sort(lines.begin(), lines.end(), [](const auto& a, const auto& b) { return db::NaturalLess(a.dh, b.dh); });
    return lines;
}

}  // namespace

FrmBulkChange::FrmBulkChange(FrmAdjuctPrice& editor, std::string lsh, std::vector<Line> lines)
    : ui::Dialog("FrmBulkChange", kBulkChangeCaption), editor_(editor), lsh_(std::move(lsh)), lines_(std::move(lines)) {
    SetDesignSize(10800, 7200);
    OptPercent.SetValue(true);
    OptBaseNew.SetValue(true);
    OptAll.SetValue(true);
    TxtValue.SetDecimals(4);
    CmdClose.SetCancel(true);
    std::vector<std::string> endings;
    for (const auto& e : kPriceEndings) endings.push_back(e.caption);
    CboEnding.SetItems(std::move(endings));
    const PriceEnding remembered = PriceEndingOfKey(ui::CurrentToolkit().Preference(kEndingPreference));
    for (size_t i = 0; i < std::size(kPriceEndings); ++i)
        if (kPriceEndings[i].rule == remembered) CboEnding.SetListIndex(static_cast<int>(i));
    CboEnding.SetToolTip("调整后的新售价取最接近的以所选尾数结尾的价格，正好居中时取较高者；正价不会变为0");

    int tab = 0;
    for (ui::Control* c : std::initializer_list<ui::Control*>{&OptPercent, &OptAmount, &TxtValue, &OptBaseNew, &OptBaseOld,
                                                              &OptAll, &OptMarked, &CboEnding, &VfgLines, &CmdPreview, &CmdApply, &CmdClose})
        c->SetTabIndex(tab++);

    CmdPreview.onClick = [this] { Preview(); };
    CboEnding.onClick = [this] {
        ui::CurrentToolkit().SetPreference(kEndingPreference, kPriceEndings[CboEnding.ListIndex()].key);
        Preview();
    };
    CmdApply.onClick = [this] { Apply(); };
    CmdClose.onClick = [this] { Close(); };
    TxtValue.onKeyDown = [this](int& key, int) {
        if (key == ui::Key::Enter) {
            key = 0;
            Preview();
        }
    };
    VfgLines.onKeyDown = [this](int& key, int) {
        if (key == ui::Key::Space) {
            key = 0;
            ToggleMark(VfgLines.Row());
        }
    };
    VfgLines.onMouseDown = [this](int button, int) {
        if (button == ui::MouseButton::Left && VfgLines.MouseCol() == 0) ToggleMark(VfgLines.MouseRow());
    };
    VfgLines.onDblClick = [this] { ToggleMark(VfgLines.Row()); };
}

void FrmBulkChange::OnLoad() {
    Preview();
    OfferFocus(TxtValue);
}

PriceEnding FrmBulkChange::Ending() const {
    const int i = CboEnding.ListIndex();
    return i < 0 ? PriceEnding::None : kPriceEndings[i].rule;
}

int FrmBulkChange::AffectedCount() const {
    int n = 0;
    for (const auto& l : lines_) n += l.affected ? 1 : 0;
    return n;
}

void FrmBulkChange::Preview() {
    const int decimals = PriceDecimals();
    const double value = TxtValue.Value();
    const bool percent = !OptAmount.Value();
    const bool fromOld = OptBaseOld.Value();
    const bool onlyMarked = OptMarked.Value();
    const std::string endingRefused = PriceEndingRefusal(Ending(), decimals);
    const PriceEnding ending = endingRefused.empty() ? Ending() : PriceEnding::None;
    int negative = 0;
    std::vector<std::vector<db::Value>> rows;
    for (auto& l : lines_) {
        l.affected = !onlyMarked || l.marked;
        const double base = fromOld ? l.sj1 : l.sj2;
        l.result = l.affected ? ApplyPriceEnding(RoundPrice(percent ? base * (100.0 + value) / 100.0 : base + value, decimals), ending)
                              : l.sj2;
        if (l.affected && l.result < 0) ++negative;
        rows.push_back({db::Value::Text(l.dh), db::Value::Text(l.hh), db::Value::Text(l.pm),
                        db::Value::Text(PriceText(l.sj1, decimals)), db::Value::Text(PriceText(l.sj2, decimals)),
                        db::Value::Text(l.affected ? PriceText(l.result, decimals) : "")});
    }
    const int row = VfgLines.Row();
    VfgLines.Bind(ListRecordset({"单号", "货号", "品名", "原售价", "新售价", "调整后新售价"}, std::move(rows)));
    for (int price : {4, 5, 6}) VfgLines.SetColFormat(price, {.right = true});
    for (size_t i = 0; i < lines_.size(); ++i)
        if (lines_[i].marked) VfgLines.SetTextMatrix(static_cast<int>(i) + 1, 0, "√");
    if (row > 0) VfgLines.SetRow(row);
    std::string summary = "将调整" + std::to_string(AffectedCount()) + "行明细";
    if (negative > 0) summary += "，其中" + std::to_string(negative) + "行调整后为负数";
    if (!endingRefused.empty()) summary += "；" + endingRefused;
    LabSummary.SetCaption(summary);
}

void FrmBulkChange::ToggleMark(int row) {
    if (row < 1 || row > static_cast<int>(lines_.size())) return;
    lines_[row - 1].marked = !lines_[row - 1].marked;
    OptMarked.SetValue(true);
    Preview();
}

void FrmBulkChange::Apply() {
    Preview();
    const int n = AffectedCount();
    if (n == 0) {
        ui::MsgBox(kNoLinesToChange, ui::Buttons::Ok, ui::Icon::Information, "系统提示");
        return;
    }
    if (const std::string refused = PriceEndingRefusal(Ending(), PriceDecimals()); !refused.empty()) {
        ui::MsgBox(refused, ui::Buttons::Ok, ui::Icon::Exclamation, "系统提示");
        return;
    }
    for (const auto& l : lines_) {
        if (!l.affected) continue;
        const PriceFault fault = CheckPrice(l.result);
        if (fault == PriceFault::None) continue;
        ui::MsgBox(fault == PriceFault::Negative
                       ? "货号为'" + l.hh + "'的新售价调整后为负数，不能执行!"
                       : "货号为'" + l.hh + "'的" + PriceRefusal(l.result, PriceDecimals(), "调整后新售价"),
                   ui::Buttons::Ok, ui::Icon::Exclamation, "系统提示");
        return;
    }
    if (ui::MsgBox("确实要调整这" + std::to_string(n) + "行明细的新售价吗?", ui::Buttons::YesNo, ui::Icon::Question, "系统提示",
                   ui::DefaultButton::Second) != ui::Answer::Yes)
        return;
    try {
        ui::BusyPointer busy;
        db::Connection& c = data::HostConnection();
        db::TransactionGuard transaction(c);
        Shared().CurrentLsh = lsh_;
        BillWriter writer(editor_, c);
        writer.ClaimUnauditedHeader(lsh_);
        // Each line as this transaction sees it must still be the line previewed.
        std::map<std::string, Line> stored;
        for (auto& l : ReadLines(c, lsh_)) stored.emplace(l.dh, std::move(l));
        for (const auto& l : lines_) {
            if (!l.affected) continue;
            const auto s = stored.find(l.dh);
            if (s == stored.end()) throw BillRefused{"单号为" + l.dh + "的明细已被删除，未保存!"};
            if (s->second.hh != l.hh || s->second.sj1 != l.sj1 || s->second.sj2 != l.sj2)
                throw BillRefused{"单号为" + l.dh + "的明细已被其他操作员修改，请重新打开批量修改!"};
            if (!writer.UpdateLine(l.dh, s->second.hh, s->second.pm, s->second.sj1, l.result))
                throw BillRefused{"单号为" + l.dh + "的明细已被删除，未保存!"};
        }
        transaction.Commit();
    } catch (const BillRefused& r) {
        BillWriter::ReportRefusal(r);
        return;
    } catch (const std::exception& e) {
        BillWriter::ReportFailure(e, false);
        return;
    }
    applied_ = true;
    editor_.FillLineGrid(lsh_);
    try {
        editor_.VfgContent.Select(editor_.VfgContent.Rows() - 1, 1);
    } catch (...) {
    }
    Close();
}

void FrmBulkChange::Run(FrmAdjuctPrice& editor) {
    if (!data::CheckRight("修改")) return;
    auto& shared = Shared();
    const std::string lsh = editor.TxtLSH.Text();
    // A new bill shows a provisional serial: nothing of it is stored yet.
    if (shared.IsNewBill || lsh.empty()) {
        ui::MsgBox(kNoLinesToChange, ui::Buttons::Ok, ui::Icon::Information, "系统提示");
        return;
    }
    if (BillWriter::RefuseIfAudited(lsh)) return;
    std::vector<Line> lines;
    try {
        lines = ReadLines(data::HostConnection(), lsh);
    } catch (const std::exception& e) {
        ui::MsgBox(db::DescriptionOf(e), ui::Buttons::Ok, ui::Icon::Exclamation, "系统提示");
        return;
    }
    if (lines.empty()) {
        ui::MsgBox(kNoLinesToChange, ui::Buttons::Ok, ui::Icon::Information, "系统提示");
        return;
    }
    FrmBulkChange w(editor, lsh, std::move(lines));
    w.ShowModal();
}

}  // namespace bill
