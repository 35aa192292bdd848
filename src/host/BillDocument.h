// Lays price-adjustment bills out on A4 pages and paints them: per bill a title, the header
// fields, the line table (its heading repeated on every page, long texts wrapped within their
// cells), the line count and the signatures, with the page number of the bill at the foot of each
// page. Several bills share one output, each starting on a new page.
#pragma once
#include <QByteArray>
#include <QFont>
#include <QPageLayout>
#include <QString>
#include <vector>

#include "host/BillReader.h"

class QPdfWriter;
class QPrinter;

namespace host {

class BillDocument {
public:
    explicit BillDocument(std::vector<PrintedBill> bills);

    // A4 portrait with 15 mm margins.
    static QPageLayout PageLayout();
    static void SetUpPage(QPrinter& printer);
    // Paints every bill onto the printer; throws db::Error when the printer cannot be painted on.
    void Paint(QPrinter& printer) const;
    void Paint(QPdfWriter& writer) const;
    // The bills as a PDF file's bytes, with their Chinese text extractable (PdfTextRepair).
    QByteArray Pdf() const;

    // The bill's font: Latin letters and digits from a Latin family, Chinese from "Noto Sans CJK SC"
    // (or another Chinese family when that one is missing).
    static QFont Font(int pointSize);
    // The Chinese family alone.
    static QFont ChineseFont(int pointSize);

    const std::vector<PrintedBill>& Bills() const { return bills_; }

private:
    std::vector<PrintedBill> bills_;
};

// Prices and amounts with two decimals, never "-0.00".
QString FormatMoney(double value);
// The change in percent of the old price, two decimals and a "%" ("—" when the old price is 0).
QString FormatChangePercent(double oldPrice, double newPrice);

}  // namespace host
