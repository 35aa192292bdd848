#include "report/FrmReport.h"

#include "data/ComponentFactory.h"
#include "db/Error.h"
#include "ui/Keys.h"
#include "ui/Toolkit.h"

namespace report {

FrmReport::FrmReport()
    : ui::Window("FrmReport", "报表系统"),
      grid_(data::ComponentFactory::CreateAs<data::ReportGrid>(data::ComponentName::ReportGrid)) {
    SetDesignSize(14400, 9600);
    Toolbar1.Add({"预览", "预览", "打印预览", "document-print-preview"});
    Toolbar1.Add({"导出", "导出", "数据导出至Excel", "x-office-spreadsheet"});
    Toolbar1.Add({"属性", "属性", "设置报表属性", "document-properties"});
    Toolbar1.Add({"过滤", "过滤", "过滤数据", "edit-find"});
    Toolbar1.Add({"页面", "页面", "列属性定义", "document-page-setup"});
    Toolbar1.Add({"刷新", "刷新", "刷新数据", "view-refresh", true});
    Toolbar1.Add({"返回", "返回", "退出报表浏览", "go-previous", true});
    Toolbar1.onButtonClick = [this](const std::string& key) { Toolbar1_ButtonClick(key); };
    LblRptName.SetFont(12, true);
}

FrmReport::~FrmReport() = default;

void FrmReport::OnLoad() {
    // A failure here reaches the caller of ShowModal: OpenReportWindow reports it.
    grid_->SetDataFormat(DataFormat);
    grid_->SetConnectStr(ConnectStr);
    grid_->SetDataSource(DataSource);
    grid_->SetIsShowOrder(IsShowOrder);
    grid_->SetReportCode(ReportCode);
    grid_->SetReportName(ReportName);
    grid_->SetStartDate(StartDate);
    grid_->SetEndDate(EndDate);
    grid_->SetUserDefStr0(UserDefStr0);
    grid_->SetUserDefStr1(UserDefStr1);
    LblRptName.SetCaption(ReportName);
    ui::CurrentToolkit().ProcessEvents();
    LoadReport();
}

void FrmReport::LoadReport() {
    ui::BusyPointer busy;
    grid_->RefreshReport();
}

void FrmReport::Toolbar1_ButtonClick(const std::string& key) {
    // The grid reports what goes wrong inside its own dialogs; a failure that still reaches the
    // window (a reload whose statement fails) is shown here rather than lost.
    try {
        if (key == "预览") grid_->ExecAction(data::ReportAction::Preview);
        else if (key == "导出") grid_->ExecAction(data::ReportAction::Export);
        else if (key == "属性") grid_->ExecAction(data::ReportAction::Properties);
        else if (key == "过滤") grid_->ExecAction(data::ReportAction::Filter);
        else if (key == "页面") grid_->ExecAction(data::ReportAction::Columns);
        else if (key == "刷新") LoadReport();
        else if (key == "返回") Close();
    } catch (const std::exception& e) {
        ui::MsgBox(db::DescriptionOf(e), ui::Buttons::Ok, ui::Icon::Information, "系统提示");
    }
}

void FrmReport::OnKeyDown(int& key, int) {
    if (key == ui::Key::Escape) {
        key = 0;
        Close();
    }
}

void FrmReport::OnResize() {
    // Each step on its own: one that fails is skipped.
    try {
        grid_->SetWidth(Width());
    } catch (...) {
    }
    try {
        grid_->SetHeight(Height() - Toolbar1.Height() - Pic1.Height());
    } catch (...) {
    }
    try {
        Pic1.SetWidth(Width());
    } catch (...) {
    }
}

}  // namespace report
