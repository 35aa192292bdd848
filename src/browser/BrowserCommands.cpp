// The browser's commands: open, refresh, delete, print, reprint, post and report.
#include <vector>

#include "browser/FrmBrowser.h"
#include "data/ComponentFactory.h"
#include "data/PrintEngine.h"
#include "data/QueryRoutines.h"
#include "data/ReprintComponent.h"
#include "data/Rights.h"
#include "db/Connection.h"
#include "db/Error.h"
#include "data/HostContext.h"
#include "ui/Toolkit.h"

namespace browser {
namespace {

using db::DescriptionOf;

db::Connection& HostConnection() {
    auto& c = data::Host().HostConnection;
    if (!c || !c->IsOpen()) throw db::Error(db::ErrorCode::ClosedObject, "对象关闭时，不允许操作。");
    return *c;
}

// Serial numbers of the marked rows in row order; each consumed mark is cleared.
std::vector<std::string> TakeMarkedSerials(ui::Grid& grid) {
    std::vector<std::string> serials;
    const int n = grid.Rows();
    for (int r = 1; r < n; ++r) {
        if (grid.TextMatrix(r, 0) == kMark) {
            serials.push_back(grid.TextMatrix(r, 1));
            grid.SetTextMatrix(r, 0, "");
        }
    }
    return serials;
}

}  // namespace

void FrmBrowser::NewBill() {
    if (!data::CheckRight("新增")) return;
    // The bill editor opens from here once it exists.
    RefreshList();
}

void FrmBrowser::AmendBill() {
    if (!data::CheckRight("修改")) return;
    // The bill editor opens from here once it exists.
    RefreshList();
}

void FrmBrowser::RefreshList() {
    ui::BusyPointer busy;
    try {
        HostConnection().Execute(
            "Delete A From SubAdjuctPrice A LEFT JOIN SubAdjuctPriceMX B ON A.LSH=B.LSH WHERE B.LSH IS NULL AND A.SHBZ=0");
        rsMain.Requery();
        Vs.Refresh();
        if (!(rsMain.IsBOF() && rsMain.IsEOF())) rsMain.MoveFirst();
    } catch (const std::exception& e) {
        ui::MsgBox(DescriptionOf(e), ui::Buttons::Ok, ui::Icon::Information, "系统提示");
    }
}

void FrmBrowser::DeleteSelected() {
    try {
        if (!data::CheckRight("删除")) return;
        if (ui::MsgBox("您确定要删除吗？[Y/N]", ui::Buttons::YesNo, ui::Icon::Question, "提示:", ui::DefaultButton::Second) !=
            ui::Answer::Yes)
            return;
        const int n = Vs.Rows();
        for (int r = 1; r < n; ++r) {
            if (Vs.TextMatrix(r, 0) != kMark) continue;
            DeleteBill(Vs.TextMatrix(r, 1));
            Vs.SetTextMatrix(r, 0, "");
        }
        RefreshList();
    } catch (const std::exception& e) {
        ui::MsgBox(DescriptionOf(e), ui::Buttons::Ok, ui::Icon::Information, "系统提示");
    }
}

void FrmBrowser::DeleteBill(const std::string& lsh) {
    bool inTransaction = false;
    try {
        const std::string key = data::EscapeQuote(lsh);
        auto rs = data::GetRecordsetByConnStr("select LSH,shbz from SubAdjuctPrice where lsh='" + key + "'");
        if (!rs) throw db::Error(db::ErrorCode::Generic, "读取单据失败，未删除流水号为" + lsh + "的单据。");
        for (bool more = !(rs->IsBOF() && rs->IsEOF()); more; more = !rs->IsEOF()) {
            if (rs->Get("shbz").IsNumeric() && rs->Get("shbz").ToBool()) {
                ui::MsgBox("此单据已审核，不能删除！", ui::Buttons::Ok, ui::Icon::Exclamation, "系统提示");
                rs->Close();
                return;
            }
            auto& c = HostConnection();
            c.BeginTrans();
            inTransaction = true;
            c.Execute("DELETE FROM SubAdjuctPrice WHERE LSH='" + key + "' AND SHBZ=0");
            c.Execute("Delete From SubAdjuctPriceMX WHERE LSH='" + key + "'");
            c.CommitTrans();
            inTransaction = false;
            rs->MoveNext();
        }
        rs->Close();
    } catch (const std::exception& e) {
        ui::MsgBox(DescriptionOf(e), ui::Buttons::Ok, ui::Icon::Exclamation, "系统提示");
        if (inTransaction) {
            try {
                HostConnection().RollbackTrans();
            } catch (...) {
            }
        }
    }
}

void FrmBrowser::ShowReport() {
    try {
        if (!data::CheckRight("报表")) return;
        // The detail report window opens from here once it exists.
    } catch (const std::exception& e) {
        ui::MsgBox(DescriptionOf(e), ui::Buttons::Ok, ui::Icon::Critical, "系统提示");
    }
}

void FrmBrowser::ReprintBills() {
    try {
        if (!data::CheckRight("重打")) return;
        const auto& host = data::Host();
        auto reprint = data::ComponentFactory::CreateAs<data::ReprintComponent>(data::ComponentName::Reprint);
        reprint->SetCategory(host.Category);
        reprint->SetCommandTimeout(host.CommandTimeout);
        reprint->SetConnStr(host.ConnStr);
        reprint->SetOptCode(host.OptCode);
        reprint->SetOptName(host.OptName);
        reprint->SetSysDate(host.SysDate);
        reprint->Run(data::kReprintCode);
    } catch (const std::exception& e) {
        ui::MsgBox(DescriptionOf(e), ui::Buttons::Ok, ui::Icon::Critical, "系统提示");
    }
}

void FrmBrowser::PreviewSelected() { PrintSelected(); }

void FrmBrowser::PrintSelected() {
    try {
        if (!data::CheckRight("打印")) return;
        std::string list;
        for (const auto& lsh : TakeMarkedSerials(Vs)) list += lsh + "|";
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
        const int n = Vs.Rows();
        for (int r = 1; r < n; ++r) {
            if (Vs.TextMatrix(r, 0) != kMark) continue;
            HostConnection().Execute("Update SubAdjuctPrice Set Jzbz=1 Where Lsh='" + data::EscapeQuote(Vs.TextMatrix(r, 1)) +
                                     "' And Shbz=1");
            Vs.SetTextMatrix(r, 0, "");
            any = true;
        }
        if (any) RefreshList();
    } catch (const std::exception& e) {
        ui::MsgBox(DescriptionOf(e), ui::Buttons::Ok, ui::Icon::Information, "系统提示");
    }
}

}  // namespace browser
