// The editor window itself: controls, opening and closing, keys, toolbar, command dispatch with
// rights, the focus timers, preparing a new bill and the price format.
#include "bill/FrmAdjuctPrice.h"

#include "bill/EditorState.h"
#include "bill/FrmAddByCategory.h"
#include "bill/FrmBillTotals.h"
#include "bill/FrmBulkChange.h"
#include "bill/FrmCopyBill.h"
#include "bill/FrmImportLines.h"
#include "bill/FrmPriceHistory.h"
#include "bill/FrmShelfLabels.h"
#include "bill/LineChecks.h"
#include "bill/PendingPrices.h"
#include "bill/PriceConflicts.h"
#include "bill/ReverseBill.h"
#include "data/HostContext.h"
#include "data/QueryRoutines.h"
#include "data/ReprintComponent.h"
#include "data/Rights.h"
#include "data/SystemSettings.h"
#include "db/Error.h"
#include "ui/Keys.h"
#include "ui/Toolkit.h"

namespace bill {
namespace {

using db::DescriptionOf;

// Runs a step of a handler that skips failing steps.
template <typename F>
void Quietly(F&& step) {
    try {
        step();
    } catch (...) {
    }
}

}  // namespace

std::string ReplaceAll(std::string text, const std::string& what, const std::string& with) {
    if (what.empty()) return text;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
    return text;
}

std::string DefaultItemQueryTemplate() {
    return std::string("select a.hh as 货号,a.pm as 品名,a.gg as 规格,a.cd as 产地,a.pdw as 单位,b.sellprice as 售价,a.pm_zjm as 助记码 ") +
           " from yw_kck a LEFT join (select hh,dwbh,sellprice from glprice where dwbh='[单位编号]') b " +
           " on a.hh=b.hh where isnull(a.FDeleted,0)=0 [选择条件] order by a.hh";
}

FrmAdjuctPrice::FrmAdjuctPrice() : ui::Window("FrmAdjuctPrice", kEditorCaption) {
    SetDesignSize(11400, 8400);

    for (ui::TextBox* display : {&TxtLSH, &txtDwmc, &TxtPM, &TxtCzryName, &TxtSh}) {
        display->SetLocked(true);
        display->SetBackColor(kDisplayOnlyColor);
    }
    LabGZBZ.SetVisible(false);  // no bill state shows it
    Cmd_Sum.SetToolTip("合计[F11]");
    Cmd_Sum.SetVisible(false);
    Cmd_PassReckoning.SetVisible(false);

    // Tab order: the keyboard path of a line is item code, Enter, new price, Enter, Save.
    int tab = 0;
    for (ui::Control* c : std::initializer_list<ui::Control*>{
             &DtpKdrq, &DtpExecDate, &TxtDwbh, &TxtBZ, &TxtHH, &TxtNSj, &Cmd_Save, &Cmd_Add, &Cmd_Amend, &Cmd_Delete,
             &Cmd_SaveReckoning, &Cmd_Print, &TxtOSj, &VfgContent})
        c->SetTabIndex(tab++);

    Toolbar1.Add({"新增", "新增", "新增单据", ""});
    Toolbar1.Add({"修改", "修改", "修改明细", ""});
    Toolbar1.Add({"批量", "批量", "批量修改新售价", ""});
    Toolbar1.Add({"导入", "导入", "从表格文件导入明细", ""});
    Toolbar1.Add({"类别", "类别", "按类别添加明细", ""});
    Toolbar1.Add({"删除", "删除", "删除明细", ""});
    Toolbar1.Add({"打印", "打印", "打印单据", "", true});
    Toolbar1.Add({"重打", "重打", "重打单据", ""});
    Toolbar1.Add({"选择", "选择", "选择", "", false, false});
    Toolbar1.Add({"审核", "审核", "审核单据", "", true});
    Toolbar1.Add({"反过帐", "反过", "反过帐", "", false, false});
    Toolbar1.Add({"过帐", "过帐", "过帐", "", false, false});
    Toolbar1.Add({"记帐", "记帐", "单据记帐", ""});
    Toolbar1.Add({"合计", "合计", "合计", "", true});
    Toolbar1.Add({"批号", "批号", "批号", "", false, false});
    Toolbar1.Add({"价格", "价格", "查看历史价格", ""});
    Toolbar1.Add({"复制", "复制", "复制到其他分支机构", "edit-copy"});
    Toolbar1.Add({"冲回", "冲回", "冲回已审核的单据", "edit-undo"});
    Toolbar1.Add({"价签", "价签", "打印价签", ""});
    Toolbar1.Add({"撤回", "撤回", "撤回待生效的价格", "", false, PricesWaitForExecDate()});
    Toolbar1.Add({"退出", "退出", "退出本界面", "", true});
    Toolbar1.onButtonClick = [this](const std::string& key) { Toolbar1_ButtonClick(key); };
    StatusBar1.SetPanel(1, kStatusText);

    Cmd_Add.onClick = [this] { Cmd_Add_Click(); };
    Cmd_Amend.onClick = [this] { Cmd_Amend_Click(); };
    Cmd_Save.onClick = [this] { Cmd_Save_Click(); };
    Cmd_Delete.onClick = [this] { Cmd_Delete_Click(); };
    Cmd_SaveReckoning.onClick = [this] { Cmd_SaveReckoning_Click(); };
    Cmd_Print.onClick = [this] { Cmd_Print_Click(); };

    // Enter sends Tab and Up sends Shift+Tab in the remark and the new price.
    auto tabKeys = [this](int& key, int) {
        if (key == ui::Key::Enter || key == ui::Key::Up) {
            const bool back = key == ui::Key::Up;
            key = 0;
            Quietly([&] { SendTab(back); });
        }
    };
    TxtBZ.onKeyDown = tabKeys;
    // The new price is entered with Enter: what looks like a typing mistake is pointed out.
    TxtNSj.onKeyDown = [this, tabKeys](int& key, int shift) {
        if (key == ui::Key::Enter) Quietly([this] { CheckLineValues(); });
        tabKeys(key, shift);
    };
    TxtDwbh.onKeyDown = [this](int& key, int shift) { TxtDwbh_KeyDown(key, shift); };
    TxtHH.onKeyDown = [this](int& key, int shift) { TxtHH_KeyDown(key, shift); };
    VfgContent.onKeyDown = [this](int& key, int) {
        if (key == ui::Key::Delete) {
            key = 0;
            Cmd_Delete_Click();
        } else if (key == ui::Key::F3) {
            key = 0;
            Cmd_Amend_Click();
        }
    };
    VfgContent.onDblClick = [this] { Cmd_Amend_Click(); };
    Cmd_Add.onKeyDown = [this](int& key, int) {
        if (key == ui::Key::Digit1) {
            key = 0;
            Cmd_Add_Click();
        }
    };
    for (ui::TextBox* box : {&TxtBZ, &TxtDwbh, &TxtHH})
        box->onGotFocus = [box] { Quietly([box] { box->SelectAll(); }); };
    // The new price is typed over, not edited: the price the lookup or the picked line put there
    // is selected whole.
    TxtNSj.onGotFocus = [this] { Quietly([this] { TxtNSj.SelectAll(); }); };
    // The notes about an item do not outlive it.
    TxtHH.onChange = [this] {
        if (conflictNote_.empty() && doubtNote_.empty()) return;
        conflictNote_.clear();
        doubtNote_.clear();
        ShowStatus();
    };

    Tmr.onTimer = [this] {
        Tmr.SwitchOff();
        // An audited bill takes no new line: the focus goes to its lines instead.
        Quietly([this] { SetFocus(TxtHH.Enabled() ? static_cast<ui::Control&>(TxtHH) : VfgContent); });
    };
    Tmr2.onTimer = [this] {
        Tmr2.SwitchOff();
        Quietly([this] { SetFocus(DtpExecDate); });
    };
}

FrmAdjuctPrice::~FrmAdjuctPrice() {
    VfgContent.Unbind();
    if (rsBill.IsOpen()) rsBill.Close();
}

void FrmAdjuctPrice::Form_Load() {
    auto& shared = Shared();
    try {
        Tmr.SwitchOff();
        Tmr2.SwitchOff();
        std::string sql = std::string("Select IsNull(FSQL,'') FSQL From GLSelect Where FDH='") + kItemSelectionKey + "'";
        ItemQueryTemplate = data::GetFieldValue(sql, "FSQL").ToText();
        ItemQueryTemplate = ReplaceAll(ItemQueryTemplate, "[操作人员编号]", data::EscapeQuote(data::Host().OptCode));
        if (ItemQueryTemplate.empty()) ItemQueryTemplate = DefaultItemQueryTemplate();
        shared.IsLineAmend = false;
        if (shared.IsNewBill)
            Cmd_Add_Click();
        else
            AmendAddNew(shared.CurrentLsh);
    } catch (const std::exception& e) {
        ui::MsgBox(DescriptionOf(e) + "\n读取数据失败失败,请与管理员联系！", ui::Buttons::Ok, ui::Icon::Exclamation, "提示：");
    }
}

void FrmAdjuctPrice::Form_Unload() {
    Tmr.SwitchOff();
    Tmr2.SwitchOff();
    Quietly([this] { VfgContent.Unbind(); });
    Quietly([this] {
        if (rsBill.IsOpen()) rsBill.Close();
    });
    rsBill = db::Recordset();
    // The browser keeps its own reference while the window is shown, so this never destroys
    // the window under its own handler.
    Shared().EditorInstance.reset();
}

void FrmAdjuctPrice::Form_KeyDown(int& key, int) {
    switch (key) {
        case ui::Key::F2:
            key = 0;
            Cmd_Add_Click();
            break;
        case ui::Key::F8:
            key = 0;
            Cmd_SaveReckoning_Click();
            break;
        case ui::Key::F9:
            key = 0;
            Cmd_Print_Click();
            break;
        case ui::Key::Escape:
            key = 0;
            CloseAsked();
            break;
        default:
            break;
    }
}

void FrmAdjuctPrice::AddNew() { PrepareNewBill(); }

void FrmAdjuctPrice::Cmd_Add_Click() { AddNew(); }

void FrmAdjuctPrice::PrepareNewBill() {
    auto& shared = Shared();
    const auto& host = data::Host();
    // Each step runs even when an earlier one failed; a failure is reported once per step.
    auto step = [this](auto&& f) {
        try {
            f();
        } catch (const std::exception& e) {
            ui::MsgBox(DescriptionOf(e) + "\n获取流水号错误,请与管理员联系！", ui::Buttons::Ok, ui::Icon::Critical, "错误:");
            Quietly([this] {
                if (rsBill.IsOpen()) rsBill.Close();
            });
        }
    };
    bool allowed = false;
    step([&] { allowed = data::CheckRight("修改"); });
    if (!allowed) return;
    shared.IsLineAmend = false;
    shared.IsNewBill = true;
    conflictNote_.clear();
    doubtNote_.clear();
    step([&] { ShowAudited(false); });
    step([&] {
        NewLsh();
        TxtLSH.SetText(shared.CurrentLsh);
    });
    step([&] {
        TxtDwbh.SetText("");
        txtDwmc.SetText("");
        TxtCzryName.SetText(host.OptName);
        TxtSh.SetText("");
    });
    step([&] { FillLineGrid(shared.CurrentLsh); });
    step([&] {
        TxtBZ.SetText("");
        DtpKdrq.SetValue(host.SysDate);
        DtpExecDate.SetValue(host.SysDate);
    });
    step([&] { SetPriceFormat(); });
    step([&] {
        TxtHH.SetText("");
        TxtPM.SetText("");
        TxtNSj.SetValue(0);
        TxtOSj.SetValue(0);
    });
    step([&] { Tmr2.SwitchOn(); });
    MarkHeaderSaved();
    MarkStripSaved();
}

FrmAdjuctPrice::HeaderFields FrmAdjuctPrice::CurrentHeader() const {
    return {DtpKdrq.Value().DateText(), DtpExecDate.Value().DateText(), TxtDwbh.Text(), TxtBZ.Text()};
}

FrmAdjuctPrice::StripFields FrmAdjuctPrice::CurrentStrip() const { return {TxtHH.Text(), TxtOSj.Value(), TxtNSj.Value()}; }

bool FrmAdjuctPrice::HasUnsavedChanges() const {
    return !(CurrentHeader() == savedHeader_) || !(CurrentStrip() == savedStrip_);
}

bool FrmAdjuctPrice::ConfirmLeave() {
    if (!HasUnsavedChanges()) return true;
    return ui::MsgBox(kLeaveQuestion, ui::Buttons::YesNo, ui::Icon::Question, "系统提示", ui::DefaultButton::Second) ==
           ui::Answer::Yes;
}

void FrmAdjuctPrice::CloseAsked() {
    if (ConfirmLeave()) Close();
}

void FrmAdjuctPrice::ShowAudited(bool audited) {
    audited_ = audited;
    for (ui::Control* c : std::initializer_list<ui::Control*>{&DtpKdrq, &DtpExecDate, &TxtDwbh, &TxtBZ, &TxtHH, &TxtNSj,
                                                              &Cmd_Save, &Cmd_Delete})
        c->SetEnabled(!audited);
    for (const char* key : {"删除", "批量", "导入", "类别"}) Toolbar1.SetButtonEnabled(key, !audited);
    waitingNote_ = audited ? WaitingStatusText(TxtLSH.Text()) : std::string();
    ShowStatus();
}

void FrmAdjuctPrice::CheckLineValues() {
    doubtNote_.clear();
    if (TxtHH.Text().empty() || audited_) {
        ShowStatus();
        return;
    }
    std::vector<std::string> doubts = PriceDoubts(TxtOSj.Value(), TxtNSj.Value(), data::Settings().PriceChangeWarnPercent);
    if (ExecutesBeforeBillDate(DtpKdrq.Value(), DtpExecDate.Value())) doubts.push_back(kExecBeforeBillDate);
    if (!doubts.empty()) doubtNote_ = "请核对：" + LineDoubtText(TxtHH.Text(), doubts);
    ShowStatus();
}

void FrmAdjuctPrice::ShowStatus() {
    // Once a bill is audited its lines can no longer be changed: what to check on them is moot, and
    // the line says why nothing can be typed.
    std::string note = conflictNote_;
    if (!doubtNote_.empty()) note += (note.empty() ? "" : "  ") + doubtNote_;
    if (audited_)
        StatusBar1.SetPanel(
            1, waitingNote_.empty() ? std::string(kAuditedStatusText) : std::string(kAuditedStatusText) + "  " + waitingNote_,
            ui::StatusBar::Tone::Notice);
    else if (!note.empty())
        StatusBar1.SetPanel(1, note, ui::StatusBar::Tone::Warning);
    else
        StatusBar1.SetPanel(1, kStatusText);
}

void FrmAdjuctPrice::SetPriceFormat() {
    Quietly([this] {
        const int decimals = data::Settings().jjbl;
        TxtOSj.SetDecimals(decimals);
        TxtNSj.SetDecimals(decimals);
    });
}

void FrmAdjuctPrice::Reprint() {
    Quietly([] {
        if (!data::CheckRight("重打")) return;
        data::RunReprint();
    });
}

void FrmAdjuctPrice::Cmd_Amend_Click() {
    try {
        if (!data::CheckRight("修改")) return;
        const int row = VfgContent.Row();
        if (row <= 0) return;
        auto& shared = Shared();
        shared.CurrentDh = VfgContent.TextMatrix(row, 1);
        shared.CurrentLsh = TxtLSH.Text();
        LoadLine(TxtLSH.Text(), shared.CurrentDh);
    } catch (const std::exception& e) {
        ui::MsgBox(DescriptionOf(e), ui::Buttons::Ok, ui::Icon::Exclamation, "系统提示");
    }
}

void FrmAdjuctPrice::Cmd_Delete_Click() {
    if (!data::CheckRight("删除")) return;
    std::string dh;
    Quietly([&] {
        if (VfgContent.Row() > 0) dh = VfgContent.TextMatrix(VfgContent.Row(), 1);
    });
    Delete(TxtLSH.Text(), dh);
    FillLineGrid(TxtLSH.Text());
    SelectLastLine();
}

void FrmAdjuctPrice::Cmd_Print_Click() {
    if (!data::CheckRight("打印")) return;
    PrintBill();
}

void FrmAdjuctPrice::Toolbar1_ButtonClick(const std::string& key) {
    // Commands without a trap of their own still must not take the window down.
    try {
        if (key == "新增") Cmd_Add_Click();
        else if (key == "修改") Cmd_Amend_Click();
        else if (key == "批量") FrmBulkChange::Run(*this);
        else if (key == "导入") FrmImportLines::Run(*this);
        else if (key == "类别") FrmAddByCategory::Run(*this);
        else if (key == "删除") Cmd_Delete_Click();
        else if (key == "打印") Cmd_Print_Click();
        else if (key == "重打") Reprint();
        else if (key == "审核") AuditCommand();
        else if (key == "记帐") Cmd_SaveReckoning_Click();
        else if (key == "合计") FrmBillTotals::Run(*this);
        else if (key == "价格") FrmPriceHistory::Run(*this);
        else if (key == "复制") FrmCopyBill::Run(*this);
        else if (key == "冲回") ReverseBill(*this);
        else if (key == "价签") FrmShelfLabels::Run(*this);
        else if (key == "撤回") WithdrawPendingCommand(*this);
        else if (key == "退出") CloseAsked();
    } catch (const std::exception& e) {
        ui::MsgBox(DescriptionOf(e), ui::Buttons::Ok, ui::Icon::Exclamation, "系统提示");
    }
}

}  // namespace bill
