// The browser's commands: open, refresh, delete, print, reprint, post and report.
#include <vector>

#include "bill/EditorState.h"
#include "bill/FrmAdjuctPrice.h"
#include "bill/PendingPrices.h"
#include "browser/FrmBrowser.h"
#include "data/ComponentFactory.h"
#include "data/PrintEngine.h"
#include "data/QueryRoutines.h"
#include "data/ReprintComponent.h"
#include "data/Rights.h"
#include "db/Connection.h"
#include "db/Error.h"
#include "db/TextUtil.h"
#include "data/HostContext.h"
#include "report/OpenReportWindow.h"
#include "ui/Toolkit.h"

namespace browser {
namespace {

using data::HostConnection;
using db::DescriptionOf;

// Serial numbers of the marked rows in row order; each consumed mark is cleared unless `keep`.
std::vector<std::string> TakeMarkedSerials(ui::Grid& grid, bool keep = false) {
    std::vector<std::string> serials;
    const int n = grid.Rows();
    for (int r = 1; r < n; ++r) {
        if (grid.TextMatrix(r, 0) == kMark) {
            serials.push_back(grid.TextMatrix(r, 1));
            if (!keep) grid.SetTextMatrix(r, 0, "");
        }
    }
    return serials;
}

std::string AuditedRefusal(const std::string& lsh) { return "此单据已审核，不能删除！（流水号：" + lsh + "）"; }

std::string JoinSerials(const std::vector<std::string>& serials) {
    std::string list;
    for (size_t i = 0; i < serials.size(); ++i) list += (i ? "、" : "") + serials[i];
    return list;
}

// Shows the one editor window modally, creating it when missing. The local reference keeps the
// window alive while it runs; its unload drops the shared one.
void ShowEditor() {
    auto& shared = bill::Shared();
    if (!shared.EditorInstance) shared.EditorInstance = std::make_shared<bill::FrmAdjuctPrice>();
    std::shared_ptr<bill::FrmAdjuctPrice> editor = shared.EditorInstance;
    editor->ShowModal();
}

}  // namespace

void FrmBrowser::NewBill() {
    if (!data::CheckRight("新增")) return;
    auto& shared = bill::Shared();
    shared.CurrentLsh.clear();
    shared.IsNewBill = true;
    ShowEditor();
    RefreshList();
}

void FrmBrowser::AmendBill() {
    if (!data::CheckRight("修改")) return;
    auto& shared = bill::Shared();
    if (!(rsMain.IsBOF() && rsMain.IsEOF())) {
        shared.CurrentLsh = rsMain.Get("流水号").ToText();
        shared.IsNewBill = false;
    } else {
        shared.CurrentLsh.clear();
        shared.IsNewBill = true;
    }
    ShowEditor();
    RefreshList();
}

void FrmBrowser::RefreshList(bool afterReportedFailure) {
    ui::BusyPointer busy;
    try {
        if (!afterReportedFailure)
            HostConnection().Execute(
                "Delete A From SubAdjuctPrice A LEFT JOIN SubAdjuctPriceMX B ON A.LSH=B.LSH WHERE B.LSH IS NULL AND ISNULL(A.SHBZ,0)=0");
        rsMain.Requery();
        InSerialOrder();
        Vs.Refresh();
        if (!(rsMain.IsBOF() && rsMain.IsEOF())) rsMain.MoveFirst();
    } catch (const std::exception& e) {
        if (!afterReportedFailure) ui::MsgBox(DescriptionOf(e), ui::Buttons::Ok, ui::Icon::Information, "系统提示");
    }
}

void FrmBrowser::DeleteSelected() {
    try {
        if (!data::CheckRight("删除")) return;
        if (ui::MsgBox("您确定要删除吗？[Y/N]", ui::Buttons::YesNo, ui::Icon::Question, "提示:", ui::DefaultButton::Second) !=
            ui::Answer::Yes)
            return;
        deleteFailed_ = false;
        const int n = Vs.Rows();
        for (int r = 1; r < n; ++r) {
            if (Vs.TextMatrix(r, 0) != kMark) continue;
            DeleteBill(Vs.TextMatrix(r, 1));
            Vs.SetTextMatrix(r, 0, "");
        }
        RefreshList(deleteFailed_);  // one message per command
    } catch (const std::exception& e) {
        ui::MsgBox(DescriptionOf(e), ui::Buttons::Ok, ui::Icon::Information, "系统提示");
    }
}

void FrmBrowser::DeleteBill(const std::string& lsh) {
    bool inTransaction = false;
    try {
        const std::string key = data::EscapeQuote(lsh);
        auto rs = data::GetRecordsetByConnStr("select LSH,shbz from SubAdjuctPrice where lsh='" + key + "'");
        if (!rs) {  // reported by GetRecordsetByConnStr; nothing deleted
            deleteFailed_ = true;
            return;
        }
        for (bool more = !(rs->IsBOF() && rs->IsEOF()); more; more = !rs->IsEOF()) {
            if (rs->Get("shbz").IsNumeric() && rs->Get("shbz").ToBool()) {
                ui::MsgBox(AuditedRefusal(lsh), ui::Buttons::Ok, ui::Icon::Exclamation, "系统提示");
                rs->Close();
                return;
            }
            auto& c = HostConnection();
            c.BeginTrans();
            inTransaction = true;
            // The lines go only with their header: a bill audited meanwhile keeps both, and the
            // operator is told so once the transaction is over.
            bool auditedMeanwhile = false;
            // A header whose flag is Null was never audited: it goes like one whose flag is 0.
            if (c.Execute("DELETE FROM SubAdjuctPrice WHERE LSH='" + key + "' AND ISNULL(SHBZ,0)=0") > 0)
                c.Execute("Delete From SubAdjuctPriceMX WHERE LSH='" + key + "'");
            else
                auditedMeanwhile = c.OpenRecordset("select count(*) as n from SubAdjuctPrice where lsh='" + key + "'").Get(0).ToInt64() > 0;
            c.CommitTrans();
            inTransaction = false;
            if (auditedMeanwhile) {
                ui::MsgBox(AuditedRefusal(lsh), ui::Buttons::Ok, ui::Icon::Exclamation, "系统提示");
                rs->Close();
                return;
            }
            rs->MoveNext();
        }
        rs->Close();
    } catch (const std::exception& e) {
        deleteFailed_ = true;
        // Rolled back before the box is shown: no other operator waits on the locks meanwhile.
        if (inTransaction) {
            try {
                HostConnection().RollbackTrans();
            } catch (...) {
            }
        }
        ui::MsgBox(DescriptionOf(e), ui::Buttons::Ok, ui::Icon::Exclamation, "系统提示");
    }
}

void FrmBrowser::ShowReport() {
    try {
        if (!data::CheckRight("报表")) return;
        const auto& host = data::Host();
        std::string sql = "SELECT A.LSH AS 流水号,A.KDRQ AS 开单日期,A.BZ AS 备注,B.DH AS 单号, ";
        sql += "B.HH AS 货号,C.LB AS 类别代号,D.NAME AS 类别名称, C.PM AS 品名, C.GG AS 规格, C.CD AS 产地, C.PDW AS 单位,";
        sql += "B.SJ1 AS 原售价,";
        sql += "B.SJ2 AS 新售价,A.SHBZ AS 审核标志,A.CZRY AS 操作人员";
        if (bill::PricesWaitForExecDate()) {
            bill::EnsurePendingTable(data::HostConnection());
            sql += bill::PendingStateColumn("A");
        }
        sql += " FROM SubAdjuctPrice A LEFT ";
        if (host.BranchMode == data::ByBranchType) {
            sql += " JOIN SubAdjuctPriceMX B ON A.LSH = B.LSH LEFT JOIN YW_KCK C ON B.HH = C.HH left join kclb d on c.lb=d.id  ";
            sql += " Where A.Czry='" + data::EscapeQuote(host.OptName);
            sql += "' and a.jzbz=0 and isnull(a.bz5,'')='1' Order By A.LSH";
        } else {
            sql += " JOIN SubAdjuctPriceMX B ON A.LSH = B.LSH LEFT JOIN YW_KCK C ON B.HH = C.HH  left join kclb d on c.lb=d.id ";
            sql += " Where A.Czry='" + data::EscapeQuote(host.OptName);
            sql += "' and a.jzbz=0 and isnull(a.bz5,'')=''  Order By A.LSH";
        }
        if (db::text::Trim(sql).empty()) return;
        report::OpenReportWindow(sql, "SD分支机构调价单浏览", "分支机构调价单浏览", host.SysDate.DateText(),
                                 host.SysDate.DateText());
    } catch (const std::exception& e) {
        ui::MsgBox(DescriptionOf(e), ui::Buttons::Ok, ui::Icon::Critical, "系统提示");
    }
}

void FrmBrowser::ReprintBills() {
    try {
        if (!data::CheckRight("重打")) return;
        data::RunReprint();
    } catch (const std::exception& e) {
        ui::MsgBox(DescriptionOf(e), ui::Buttons::Ok, ui::Icon::Critical, "系统提示");
    }
}

// A preview leaves the marks, so that printing the bills just looked at needs no marking again.
void FrmBrowser::PreviewSelected() { PrintMarked(true); }

void FrmBrowser::PrintSelected() { PrintMarked(false); }

void FrmBrowser::PrintMarked(bool keepMarks) {
    try {
        if (!data::CheckRight("打印")) return;
        std::string list;
        for (const auto& lsh : TakeMarkedSerials(Vs, keepMarks)) list += lsh + "|";
        if (list.empty()) {
            ui::MsgBox("你没有选择任何需打印的单据！", ui::Buttons::Ok, ui::Icon::Information, "系统提示");
            return;
        }
        list.pop_back();
        data::PrintBillList(HostConnection(), list);
    } catch (const std::exception& e) {
        ui::MsgBox(DescriptionOf(e), ui::Buttons::Ok, ui::Icon::Information, "系统提示");
    }
}

void FrmBrowser::PostSelected() {
    try {
        if (!data::CheckRight("记帐")) return;
        if (ui::MsgBox("你确实要将所选单据记账吗?", ui::Buttons::YesNo, ui::Icon::Information, "系统提示") != ui::Answer::Yes)
            return;
        bool any = false;
        std::vector<std::string> unposted;  // marked, but left by the statement's audited condition
        const int n = Vs.Rows();
        // The marked bills in one transaction: one write to disk for all of them instead of one per
        // bill (100 bills took 0.3 s). A failure keeps the bills posted before it, as posting them
        // one by one did.
        db::Connection& c = HostConnection();
        bool own = false;
        // Commits what was posted; a commit that fails leaves no transaction open behind it.
        auto finish = [&c, &own] {
            if (!own) return;
            own = false;
            try {
                c.CommitTrans();
            } catch (...) {
                try {
                    c.RollbackTrans();
                } catch (...) {
                }
                throw;
            }
        };
        try {
            for (int r = 1; r < n; ++r) {
                if (Vs.TextMatrix(r, 0) != kMark) continue;
                if (!own && !c.InTransaction()) {
                    c.BeginTrans();
                    own = true;
                }
                const std::string lsh = Vs.TextMatrix(r, 1);
                if (c.Execute("Update SubAdjuctPrice Set Jzbz=1 Where Lsh='" + data::EscapeQuote(lsh) + "' And Shbz=1") == 0)
                    unposted.push_back(lsh);
                Vs.SetTextMatrix(r, 0, "");
                any = true;
            }
        } catch (...) {
            try {
                finish();
            } catch (...) {
            }
            throw;
        }
        finish();
        if (!unposted.empty())
            ui::MsgBox("流水号为:" + JoinSerials(unposted) + "的单据记帐不成功,可能的原因是单据还没有审核!", ui::Buttons::Ok,
                       ui::Icon::Information, "系统提示");
        if (any) RefreshList();
    } catch (const std::exception& e) {
        ui::MsgBox(DescriptionOf(e), ui::Buttons::Ok, ui::Icon::Information, "系统提示");
    }
}

}  // namespace browser
