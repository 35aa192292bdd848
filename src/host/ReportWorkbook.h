// Writes a report as an .xlsx workbook: one sheet named after the report, the headings of the
// shown columns (bold, frozen, with an auto filter) at their widths, the shown rows in their order
// (numbers as numbers with the column's decimals, dates as dates, text as text) and the totals row.
#pragma once
#include <QString>
#include <string>

namespace host {

class ReportTableModel;

// Throws db::Error when the file cannot be written; an existing file is replaced only when the new
// one is complete. Returns how many cells were cut to Excel's limit of 32,767 characters.
int WriteReportWorkbook(const QString& path, const ReportTableModel& model, const std::string& reportName);

// The report name as a sheet name: without []:*?/\ and at most 31 characters; "报表" when empty.
QString ReportSheetName(const std::string& reportName);

}  // namespace host
