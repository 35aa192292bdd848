// Opens the report window modally over the statement's result and returns when the operator has
// closed it. A failure, the first load of the report included, is shown in a "系统提示" box.
#pragma once
#include <string>

namespace report {

void OpenReportWindow(const std::string& sql, const std::string& reportCode, const std::string& reportName,
                      const std::string& startDate, const std::string& endDate);

}  // namespace report
