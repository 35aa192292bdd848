#include "bill/FrmCopyBill.h"

#include <algorithm>

#include "bill/EditorState.h"
#include "bill/FrmAdjuctPrice.h"
#include "bill/ListRecordset.h"
#include "bill/MarkedList.h"
#include "data/HostContext.h"
#include "data/QueryRoutines.h"
#include "data/Rights.h"
#include "db/Connection.h"
#include "db/Error.h"
#include "db/NaturalOrder.h"
#include "db/TextUtil.h"
#include "ui/Keys.h"
#include "ui/Toolkit.h"

namespace bill {
namespace {

constexpr const char* kMark = "√";
// Serials named one by one in the result; more are shown as a range (they are consecutive).
constexpr size_t kSerialsNamed = 20;

void Inform(const std::string& text) { ui::MsgBox(text, ui::Buttons::Ok, ui::Icon::Information, "系统提示"); }

bool Contains(const std::string& text, const std::string& foldedPart) {
    return db::text::Lower(text).find(foldedPart) != std::string::npos;
}

}  // namespace

std::string CopiedText(const std::vector<std::string>& serials) {
    std::string list;
    if (serials.size() <= kSerialsNamed)
        for (size_t i = 0; i < serials.size(); ++i) list += (i ? "、" : "") + serials[i];
    else
        list = serials.front() + "～" + serials.back();
    return "已生成" + std::to_string(serials.size()) + "张单据：" + list;
}

FrmCopyBill::FrmCopyBill(FrmAdjuctPrice& editor, StoredBill source, std::vector<Target> targets)
    : ui::Dialog("FrmCopyBill", kCopyCaption), editor_(editor), source_(std::move(source)), targets_(std::move(targets)) {
    SetDesignSize(7800, 7200);
    CmdCancel.SetCancel(true);
    int tab = 0;
    for (ui::Control* c : std::initializer_list<ui::Control*>{&TxtFind, &VfgTargets, &CmdAll, &CmdNone, &CmdOK, &CmdCancel})
        c->SetTabIndex(tab++);

    WireMarkedList(
        *this, TxtFind, VfgTargets, [this] { Filter(); }, [this](int row) { ToggleMark(row); });
    CmdAll.onClick = [this] { MarkShown(true); };
    CmdNone.onClick = [this] { MarkShown(false); };
    CmdOK.onClick = [this] { Copy(); };
    CmdCancel.onClick = [this] { Close(); };
}

void FrmCopyBill::OnLoad() {
    Filter();
    OfferFocus(TxtFind);
}

void FrmCopyBill::Filter() {
    const std::string part = db::text::Lower(TxtFind.Text());
    shown_.clear();
    std::vector<std::vector<db::Value>> rows;
    for (size_t i = 0; i < targets_.size(); ++i) {
        const Target& t = targets_[i];
        if (!part.empty() && !Contains(t.code, part) && !Contains(t.name, part) && !Contains(t.mnemonic, part)) continue;
        shown_.push_back(i);
        std::vector<db::Value> row{db::Value::Text(t.code), db::Value::Text(t.name)};
        if (!source_.header.byBranchType) row.push_back(db::Value::Text(t.mnemonic));
        rows.push_back(std::move(row));
    }
    const std::vector<std::string> headings = source_.header.byBranchType
                                                  ? std::vector<std::string>{"类型编号", "类型名称"}
                                                  : std::vector<std::string>{"单位编号", "单位名称", "助记码"};
    VfgTargets.Bind(ListRecordset(headings, std::move(rows)));
    for (size_t r = 0; r < shown_.size(); ++r)
        if (targets_[shown_[r]].marked) VfgTargets.SetTextMatrix(static_cast<int>(r) + 1, 0, kMark);
    ShowSummary();
}

void FrmCopyBill::ShowSummary() {
    const auto marked = std::count_if(targets_.begin(), targets_.end(), [](const Target& t) { return t.marked; });
    LabSummary.SetCaption("共" + std::to_string(targets_.size()) + "个，显示" + std::to_string(shown_.size()) + "个，已选择" +
                          std::to_string(marked) + "个");
}

void FrmCopyBill::ToggleMark(int row) {
    if (row < 1 || row > static_cast<int>(shown_.size())) return;
    Target& t = targets_[shown_[row - 1]];
    t.marked = !t.marked;
    VfgTargets.SetTextMatrix(row, 0, t.marked ? kMark : "");
    ShowSummary();
}

void FrmCopyBill::MarkShown(bool marked) {
    for (size_t r = 0; r < shown_.size(); ++r) {
        targets_[shown_[r]].marked = marked;
        VfgTargets.SetTextMatrix(static_cast<int>(r) + 1, 0, marked ? kMark : "");
    }
    ShowSummary();
}

void FrmCopyBill::Copy() {
    std::vector<std::string> codes;
    for (const auto& t : targets_)
        if (t.marked) codes.push_back(t.code);
    const std::string kind = source_.header.byBranchType ? "分支机构类型" : "分支机构";
    if (codes.empty()) {
        Inform("请选择要复制到的" + kind + "!");
        return;
    }
    if (ui::MsgBox("确实要将此单据复制到选中的" + std::to_string(codes.size()) + "个" + kind + "吗?", ui::Buttons::YesNo,
                   ui::Icon::Question, "系统提示", ui::DefaultButton::Second) != ui::Answer::Yes)
        return;
    try {
        ui::BusyPointer busy;
        db::Connection& c = data::HostConnection();
        const TargetPrices prices = TargetPrices::Read(c, source_.header.lsh, codes);
        const auto& host = data::Host();
        const std::string today = host.SysDate.ToText();
        std::vector<NewBill> bills;
        bills.reserve(codes.size());
        for (const auto& code : codes) {
            NewBill b;
            b.header = source_.header;
            b.header.kdrq = today;
            if (b.header.execdate.empty()) b.header.execdate = today;
            b.header.czry = host.OptName;
            b.header.dwbh = code;
            b.lines.reserve(source_.lines.size());
            for (const auto& l : source_.lines) b.lines.push_back({{}, {}, l.hh, l.pm, prices.Of(code, l.hh), l.sj2});
            bills.push_back(std::move(b));
        }
        serials_ = WriteNewBills(editor_, std::move(bills));
    } catch (const BillRefused& r) {
        BillWriter::ReportRefusal(r);
        return;
    } catch (const std::exception& e) {
        BillWriter::ReportFailure(e, false);
        return;
    }
    Inform(CopiedText(serials_));
    Close();
}

std::vector<FrmCopyBill::Target> FrmCopyBill::ReadTargets(bool byBranchType, const std::string& except) {
    db::Recordset rs = data::HostConnection().OpenRecordset(byBranchType ? "select id,name from glsx where fid=3 order by id"
                                                                         : "select tjbh,mc,zjm from gl_custom order by tjbh");
    std::vector<Target> targets;
    const std::string own = db::text::Lower(except);
    for (long i = 0; i < rs.RecordCount(); ++i) {
        Target t{rs.At(i, 0).ToText(), rs.At(i, 1).ToText(), byBranchType ? std::string() : rs.At(i, 2).ToText()};
        if (db::text::Lower(t.code) != own) targets.push_back(std::move(t));
    }
    rs.Close();
    std::stable_sort(targets.begin(), targets.end(), [](const Target& a, const Target& b) { return db::NaturalLess(a.code, b.code); });
    return targets;
}

void FrmCopyBill::Run(FrmAdjuctPrice& editor) {
    if (!data::CheckRight("新增")) return;
    const std::string lsh = editor.TxtLSH.Text();
    // A new bill shows a provisional serial: nothing of it is stored yet.
    if (Shared().IsNewBill || lsh.empty()) {
        Inform("此单据尚未保存，不能复制!");
        return;
    }
    std::optional<StoredBill> source;
    std::vector<Target> targets;
    try {
        source = ReadStoredBill(data::HostConnection(), lsh);
        if (source && !source->lines.empty()) targets = ReadTargets(source->header.byBranchType, source->header.dwbh);
    } catch (const std::exception& e) {
        ui::MsgBox(db::DescriptionOf(e), ui::Buttons::Ok, ui::Icon::Exclamation, "系统提示");
        return;
    }
    if (!source) {
        Inform("此单据不存在，不能复制!");
        return;
    }
    if (source->lines.empty()) {
        Inform("此单据没有明细，不能复制!");
        return;
    }
    if (targets.empty()) {
        Inform(source->header.byBranchType ? "没有其他分支机构类型可以复制!" : "没有其他分支机构可以复制!");
        return;
    }
    FrmCopyBill w(editor, std::move(*source), std::move(targets));
    w.ShowModal();
}

}  // namespace bill
