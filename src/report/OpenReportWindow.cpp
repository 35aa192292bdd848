#include "report/OpenReportWindow.h"

#include <memory>

#include "data/HostContext.h"
#include "db/Error.h"
#include "report/FrmReport.h"
#include "ui/Toolkit.h"

namespace report {

void OpenReportWindow(const std::string& sql, const std::string& reportCode, const std::string& reportName,
                      const std::string& startDate, const std::string& endDate) {
    try {
        auto window = std::make_unique<FrmReport>();
        window->ConnectStr = data::Host().ConnStr;
        window->IsShowOrder = false;
        window->ReportCode = reportCode;
        window->ReportName = reportName;
        window->StartDate = startDate;
        window->EndDate = endDate;
        window->DataSource = sql;
        window->DataFormat = 0;
        window->ShowModal();
    } catch (const std::exception& e) {
        ui::MsgBox(db::DescriptionOf(e), ui::Buttons::Ok, ui::Icon::Information, "系统提示");
    }
}

}  // namespace report
