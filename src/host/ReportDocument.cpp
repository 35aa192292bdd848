#include "host/ReportDocument.h"

#include <QDate>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <algorithm>
#include <cmath>
#include <vector>

#include "db/Error.h"
#include "host/BillDocument.h"
#include "host/MixedText.h"
#include "host/PdfFile.h"
#include "host/QtText.h"
#include "host/ReportTableModel.h"

namespace host {

struct ReportDocument::Layout {
    QFont titleFont, bodyFont, headingFont, footFont;
    qreal width = 0, height = 0;  // the printable area
    qreal titleHeight = 0, lineHeight = 0, rowHeight = 0, headerHeight = 0, footHeight = 0, padding = 0;
    std::vector<int> fields;     // shown fields, in order
    std::vector<qreal> columns;  // their widths on the page
    int rowsPerPage = 1;
    int pages = 1;
};

ReportDocument::ReportDocument(const ReportTableModel& model, ReportPageSetup page, ReportPrintInfo info)
    : model_(model), page_(std::move(page)), info_(std::move(info)) {}

QString ReportDocument::Title() const { return VisibleText(page_.title.empty() ? info_.reportName : page_.title); }

QString ReportDocument::DateRange() const {
    if (info_.startDate.empty() && info_.endDate.empty()) return {};
    return QStringLiteral("日期：%1 至 %2").arg(VisibleText(info_.startDate), VisibleText(info_.endDate));
}

QPageLayout ReportDocument::PageLayout() const {
    return QPageLayout(QPageSize(QPageSize::A4), page_.landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(page_.marginLeft, page_.marginTop, page_.marginRight, page_.marginBottom), QPageLayout::Millimeter);
}

void ReportDocument::SetUpPrinter(QPrinter& printer) const {
    printer.setPageLayout(PageLayout());
    printer.setDocName(Title());
    printer.setCreator(QStringLiteral("报表系统"));
}

ReportDocument::Layout ReportDocument::Measure(QPaintDevice& printer, const QPageLayout& page, int dpi) const {
    Layout l;
    const QRectF area = page.paintRectPixels(dpi);
    l.width = area.width();
    l.height = area.height();
    const int size = std::clamp(page_.fontSize, 6, 24);
    l.bodyFont = BillDocument::Font(size);
    l.headingFont = l.bodyFont;
    l.headingFont.setBold(true);
    l.titleFont = BillDocument::Font(size + 6);
    l.titleFont.setBold(true);
    l.footFont = BillDocument::Font(std::max(6, size - 1));

    const QFontMetricsF body(l.bodyFont, &printer), title(l.titleFont, &printer), foot(l.footFont, &printer);
    l.lineHeight = body.height();
    l.rowHeight = std::ceil(body.height() * 1.5);
    l.padding = body.averageCharWidth() * 0.6;
    l.titleHeight = title.height() * 1.5;
    int lines = DateRange().isEmpty() ? 0 : 1;
    lines += info_.note0.empty() ? 0 : 1;
    lines += info_.note1.empty() ? 0 : 1;
    l.headerHeight = l.titleHeight + lines * l.lineHeight * 1.3 + l.lineHeight * 0.5;
    l.footHeight = foot.height() * 2;

    l.fields = model_.ShownFields();
    qreal total = 0;
    for (int f : l.fields) total += model_.ColumnWidth(f);
    for (int f : l.fields) l.columns.push_back(total > 0 ? model_.ColumnWidth(f) * l.width / total : 0);

    const qreal forRows = l.height - l.headerHeight - l.footHeight - l.rowHeight;  // the heading row on every page
    l.rowsPerPage = std::max(1, static_cast<int>(std::floor(forRows / l.rowHeight)));
    const int rows = model_.ShownRows() + 1;  // the totals row too
    l.pages = std::max(1, (rows + l.rowsPerPage - 1) / l.rowsPerPage);
    return l;
}

int ReportDocument::PageCount(QPrinter& printer) const {
    return Measure(printer, printer.pageLayout(), printer.resolution()).pages;
}

void ReportDocument::Paint(QPrinter& printer) const {
    PaintPages(printer, printer.pageLayout(), printer.resolution(), [&printer] { printer.newPage(); });
}

void ReportDocument::PaintPages(QPaintDevice& printer, const QPageLayout& pageLayout, int dpi,
                                const std::function<void()>& newPage) const {
    const Layout l = Measure(printer, pageLayout, dpi);
    QPainter painter;
    if (!painter.begin(&printer)) throw db::Error(db::ErrorCode::Generic, "打印机不能使用");
    QPen grid(QColor(0x70, 0x70, 0x70));
    grid.setWidthF(std::max<qreal>(1.0, dpi / 150.0));
    const int shown = model_.ShownRows();
    const QString printed = QStringLiteral("打印日期：%1").arg(QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")));
    const MixedText titleText(l.titleFont, &printer), bodyText(l.bodyFont, &printer), headingText(l.headingFont, &printer),
        footText(l.footFont, &printer);

    auto drawRow = [&](qreal y, const std::vector<QString>& texts, const MixedText& metrics, bool heading, bool shaded) {
        qreal x = 0;
        if (shaded) painter.fillRect(QRectF(0, y, l.width, l.rowHeight), QColor(0xE8, 0xE8, 0xE8));
        painter.setPen(grid);
        painter.drawRect(QRectF(0, y, l.width, l.rowHeight));
        painter.setPen(Qt::black);
        for (size_t c = 0; c < l.fields.size();) {
            qreal w = l.columns[c];
            size_t end = c + 1;
            // A text wider than its cell runs on over the empty cells after it (the totals label).
            while (end < l.fields.size() && texts[end].isEmpty() && metrics.Advance(texts[c]) > w - 2 * l.padding)
                w += l.columns[end++];
            const QRectF cell(x + l.padding, y, std::max<qreal>(0, w - 2 * l.padding), l.rowHeight);
            const bool numeric = !heading && model_.Fields()[static_cast<size_t>(l.fields[c])].IsQuantity();
            const QString text = metrics.Elided(texts[c], cell.width());
            metrics.Draw(painter, cell, (heading ? Qt::AlignHCenter : numeric ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter, text);
            if (c > 0) {
                painter.setPen(grid);
                painter.drawLine(QPointF(x, y), QPointF(x, y + l.rowHeight));
                painter.setPen(Qt::black);
            }
            x += w;
            c = end;
        }
    };

    std::vector<QString> texts(l.fields.size());
    int next = 0;  // the next row to print; shown == the totals row
    for (int page = 0; page < l.pages; ++page) {
        if (page > 0) newPage();
        painter.setPen(Qt::black);
        titleText.Draw(painter, QRectF(0, 0, l.width, l.titleHeight), Qt::AlignCenter, Title());
        qreal y = l.titleHeight;
        for (const QString& line : {DateRange(), VisibleText(info_.note0), VisibleText(info_.note1)}) {
            if (line.isEmpty()) continue;
            bodyText.Draw(painter, QRectF(0, y, l.width, l.lineHeight * 1.3), Qt::AlignHCenter | Qt::AlignVCenter, line);
            y += l.lineHeight * 1.3;
        }
        y = l.headerHeight;

        for (size_t c = 0; c < l.fields.size(); ++c) texts[c] = VisibleText(model_.Heading(l.fields[c]));
        drawRow(y, texts, headingText, true, true);
        y += l.rowHeight;

        for (int r = 0; r < l.rowsPerPage && next <= shown; ++r, ++next) {
            const bool totals = next == shown;
            for (size_t c = 0; c < l.fields.size(); ++c)
                texts[c] = VisibleText(totals ? model_.TotalText(l.fields[c]) : model_.TextAt(next, l.fields[c]));
            drawRow(y, texts, totals ? headingText : bodyText, false, totals);
            y += l.rowHeight;
        }

        painter.setPen(Qt::black);
        const QRectF foot(0, l.height - l.footHeight, l.width, l.footHeight);
        footText.Draw(painter, foot, Qt::AlignLeft | Qt::AlignBottom, printed);
        footText.Draw(painter, foot, Qt::AlignRight | Qt::AlignBottom, QStringLiteral("第 %1 页 / 共 %2 页").arg(page + 1).arg(l.pages));
    }
    painter.end();
}

QByteArray ReportDocument::Pdf() const {
    return RenderPdf(PageLayout(), Title(), QStringLiteral("报表系统"), [this](QPdfWriter& writer) {
        PaintPages(writer, writer.pageLayout(), writer.resolution(), [&writer] { writer.newPage(); });
    });
}

void ReportDocument::WritePdf(const QString& path) const { WriteFileWhole(ToStdString(path), Pdf(), "保存失败"); }

}  // namespace host
