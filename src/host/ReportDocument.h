// Lays a report out on pages as the grid shows it: the title, the date range and the free texts
// at the top of every page, the shown columns in their order under a heading row, the shown rows
// in their order, the totals row at the end and "第 n 页 / 共 m 页" at the foot. Column widths
// follow the grid's, scaled to the page.
#pragma once
#include <QByteArray>
#include <QPageLayout>
#include <QString>
#include <functional>
#include <string>

#include "host/ReportSettings.h"

class QPaintDevice;
class QPrinter;

namespace host {

class ReportTableModel;

struct ReportPrintInfo {
    std::string reportName;
    std::string startDate, endDate;
    std::string note0, note1;  // printed under the dates when not empty
};

class ReportDocument {
public:
    ReportDocument(const ReportTableModel& model, ReportPageSetup page, ReportPrintInfo info);

    // The page size (A4), orientation and margins of the set-up.
    QPageLayout PageLayout() const;
    // The same and the document name.
    void SetUpPrinter(QPrinter& printer) const;
    // Paints every page; throws db::Error when the printer cannot be painted on.
    void Paint(QPrinter& printer) const;
    // The number of pages Paint makes on this printer.
    int PageCount(QPrinter& printer) const;
    // Writes the report as a PDF file whose text can be copied and searched, whole or not at all;
    // throws db::Error.
    void WritePdf(const QString& path) const;
    // The same PDF as a file's bytes.
    QByteArray Pdf() const;

    QString Title() const;
    // "日期：<start> 至 <end>"; empty when the report has no dates.
    QString DateRange() const;

private:
    struct Layout;
    Layout Measure(QPaintDevice& device, const QPageLayout& page, int dpi) const;
    void PaintPages(QPaintDevice& device, const QPageLayout& page, int dpi, const std::function<void()>& newPage) const;

    const ReportTableModel& model_;
    ReportPageSetup page_;
    ReportPrintInfo info_;
};

}  // namespace host
