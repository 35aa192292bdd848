#include "browser/FrmBrowser.h"

#include <cstdlib>

#include "bill/PendingPrices.h"
#include "data/QueryRoutines.h"
#include "data/Rights.h"
#include "db/Error.h"
#include "data/HostContext.h"
#include "ui/Keys.h"
#include "ui/Toolkit.h"

namespace browser {
namespace {

using db::DescriptionOf;

}  // namespace

std::string AboutText() { return std::string("分支机构商品调价单\n版本 ") + SPB_VERSION; }

void FrmBrowser::ShowAbout() { ui::MsgBox(AboutText(), ui::Buttons::Ok, ui::Icon::Information, "系统提示"); }

FrmBrowser::FrmBrowser() : ui::Window("FrmBrowser", "分支机构调价单据浏览") {
    SetDesignSize(13500, 9000);
    Menu.Add({"mnuFile", "文件(&F)", {{"mnuNew", "单据"}, {"mnuLabels", "价签(&L)..."}, {"mnuLine1", "-"}, {"mnuExit", "退出"}}});
    Menu.Add({"mnuView", "查看(&V)",
              {{"mnuBrowInput", "报表浏览"}, {"mnuReport", "打印预览"}, {"mnuPrint", "打印"}, {"mnuCd", "重新打印"}}});
    Menu.Add({"mnuHelp", "帮助(&H)", {{"mnuAbout", "关于(&A)..."}}});
    Toolbar.Add({"新增", "新增", "添加新记录", "document-new"});
    Toolbar.Add({"修改", "修改", "修改当前单据", "document-edit"});
    Toolbar.Add({"删除", "删除", "删除当前记录", "edit-delete"});
    Toolbar.Add({"报表", "报表", "报表", "x-office-spreadsheet", true});
    Toolbar.Add({"重打", "重打", "重打单据", "document-print"});
    Toolbar.Add({"预览", "预览", "单据预览", "document-print-preview"});
    Toolbar.Add({"打印", "打印", "单据打印", "document-print"});
    Toolbar.Add({"编码", "编码", "财务编码", "", true, false});
    Toolbar.Add({"选择", "选择", "选择需打印的单据", "edit-select-all", true});
    Toolbar.Add({"存量", "存量", "库存分布", "", false, false});
    Toolbar.Add({"审核", "审核", "单据审核", "", false, false});
    Toolbar.Add({"过账", "过账", "单据过账", "", false, false});
    Toolbar.Add({"记账", "记账", "单据记账", "document-save", true});
    Toolbar.Add({"刷新", "刷新", "刷新记录", "view-refresh"});
    Toolbar.Add({"退出", "退出", "退出本界面", "application-exit", true});
    Toolbar.onButtonClick = [this](const std::string& key) { Toolbar_ButtonClick(key); };
    Menu.onItemClick = [this](const std::string& name) { Menu_Click(name); };
    Vs.onMouseDown = [this](int button, int shift) { Vs_MouseDown(button, shift); };
    Vs.onDblClick = [this] {
        try {
            AmendBill();
        } catch (const std::exception& e) {
            ui::MsgBox(DescriptionOf(e), ui::Buttons::Ok, ui::Icon::Exclamation, "系统提示");
        }
    };
    Vs.SetTabIndex(0);
    StatusBar.SetPanel(1, "分支机构调价单");
}

FrmBrowser::~FrmBrowser() {
    Vs.Unbind();
    if (rsMain.IsOpen()) rsMain.Close();
}

void FrmBrowser::LoadList() {
    try {
        Vs.SetColWidth(0, 400);
        SetCaption("分支机构调价单--浏览");
        const auto& host = data::Host();
        StatusBar.SetPanel(3, host.BranchMode == data::ByBranchType ? "按分支机构类型" : "按分支机构");
        bool seeAll = data::HasRight("查看所有用户");
        ListSql = "Select A.LSH AS 流水号,A.KDRQ AS 开单日期,A.BZ AS 备注,A.CZRY AS 操作人员,A.SHBZ AS 审核标志,A.SHRY AS 审核人员 ";
        if (bill::PricesWaitForExecDate()) ListSql += bill::PendingStateColumn("A");
        std::string mine = seeAll ? std::string() : "a.czry='" + data::EscapeQuote(host.OptName) + "' and ";
        if (host.BranchMode == data::ByBranchType) {
            ListSql += seeAll ? " From  SubAdjuctPrice A Where  A.JZBZ=0 and isnull(a.bz5,'')='1' Order By A.LSH"
                              : " From  SubAdjuctPrice A Where " + mine + "A.JZBZ=0 and isnull(a.bz5,'')='1' Order By A.LSH";
        } else {
            ListSql += seeAll ? " From  SubAdjuctPrice A Where A.JZBZ=0 and isnull(a.bz5,'')=''  Order By A.LSH"
                              : " From  SubAdjuctPrice A Where " + mine + "A.JZBZ=0 and isnull(a.bz5,'')=''  Order By A.LSH";
        }
        if (!host.HostConnection || !host.HostConnection->IsOpen())
            throw db::Error(db::ErrorCode::ClosedObject, "对象关闭时，不允许操作。");
        if (bill::PricesWaitForExecDate()) bill::EnsurePendingTable(*host.HostConnection);
        rsMain = host.HostConnection->OpenRecordset(ListSql);
        InSerialOrder();
        rsMain.SetMoveComplete([this] { rsMain_MoveComplete(); });
        Vs.Bind(rsMain);
        Vs.SetColFormat(5, {.yesNo = true});  // 审核标志
        Vs.SetTextMatrix(0, 0, "   ");
        Vs.Refresh();
        if (!(rsMain.IsBOF() && rsMain.IsEOF())) rsMain.MoveFirst();
        else rsMain_MoveComplete();
    } catch (const std::exception& e) {
        ui::MsgBox(DescriptionOf(e), ui::Buttons::Ok, ui::Icon::Information, "系统提示");
    }
}

void FrmBrowser::InSerialOrder() {
    // The statement orders the serials as texts (10 before 2); the list shows them by value.
    if (rsMain.IsOpen() && rsMain.FieldCount() > 0) rsMain.Sort(rsMain.Field(0).name + " ASC");
}

void FrmBrowser::rsMain_MoveComplete() {
    try {
        StatusBar.SetPanel(2, "总记录:" + std::to_string(rsMain.RecordCount()) + ":当前记录: " +
                                  std::to_string(rsMain.AbsolutePosition()));
    } catch (...) {
    }
}

void FrmBrowser::OnKeyDown(int& key, int) {
    try {
        switch (key) {
            case ui::Key::Escape:
                key = 0;
                Close();
                break;
            case ui::Key::Enter:
                key = 0;
                AmendBill();
                break;
            case ui::Key::Space:
                key = 0;
                if (Vs.Row() != 0)
                    Vs.SetTextMatrix(Vs.Row(), 0, Vs.TextMatrix(Vs.Row(), 0) == kMark ? "" : kMark);
                break;
            default:
                break;
        }
    } catch (...) {
    }
}

void FrmBrowser::Vs_MouseDown(int button, int) {
    try {
        if (Vs.MouseRow() != 0 || button != ui::MouseButton::Right) return;
        int f = Vs.MouseCol() - 1;
        const std::string field = rsMain.Field(f).name;
        // The tag of grid column f keeps the direction of field f's last sort.
        std::string tag = Vs.ColTag(f);
        std::string next = tag == "ASC" ? "DESC" : (tag == "DESC" ? "ASC" : "DESC");
        rsMain.Sort(field + " " + next);
        Vs.SetColTag(f, next);
        Vs.Refresh();
    } catch (const std::exception& e) {
        ui::MsgBox(DescriptionOf(e), ui::Buttons::Ok, ui::Icon::Critical, "系统提示");
    }
}

void FrmBrowser::InvertSelection() {
    ui::BusyPointer busy;
    int n = 0;
    try {
        n = Vs.Rows();
    } catch (...) {
    }
    for (int r = 1; r < n; ++r) {
        try {
            Vs.SetTextMatrix(r, 0, Vs.TextMatrix(r, 0) == kMark ? "" : kMark);
        } catch (...) {
        }
    }
}

void FrmBrowser::OnResize() {
    try {
        constexpr int kStatusBarHeight = 400;  // twips; the status bar keeps its designed height
        Vs.SetHeight(std::abs(Height() - Toolbar.Height() - kStatusBarHeight - 800));
    } catch (...) {
    }
}

void FrmBrowser::OnUnload() {
    try {
        Vs.Unbind();
    } catch (...) {
    }
    try {
        if (rsMain.State() == 1) rsMain.Close();
    } catch (...) {
    }
    rsMain = db::Recordset();
}

void FrmBrowser::Toolbar_ButtonClick(const std::string& key) {
    try {
        if (key == "新增") NewBill();
        else if (key == "修改") AmendBill();
        else if (key == "删除") DeleteSelected();
        else if (key == "浏览") ShowReport();
        else if (key == "重打") ReprintBills();
        else if (key == "报表") ShowReport();
        else if (key == "刷新") RefreshList();
        else if (key == "退出") Close();
        else if (key == "选择") InvertSelection();
        else if (key == "预览") PreviewSelected();
        else if (key == "打印") PrintSelected();
        else if (key == "记账") PostSelected();
    } catch (...) {
    }
}

void FrmBrowser::Menu_Click(const std::string& name) {
    try {
        if (name == "mnuNew") AmendBill();
        else if (name == "mnuExit") Close();
        else if (name == "mnuBrowInput") ShowReport();
        else if (name == "mnuReport") PreviewSelected();
        else if (name == "mnuPrint") PrintSelected();
        else if (name == "mnuCd") ReprintBills();
        else if (name == "mnuLabels") PrintLabels();
        else if (name == "mnuAbout") ShowAbout();
    } catch (const std::exception& e) {
        // A command without a trap of its own, started from a menu, still tells the operator.
        ui::MsgBox(DescriptionOf(e), ui::Buttons::Ok, ui::Icon::Exclamation, "系统提示");
    }
}

}  // namespace browser
