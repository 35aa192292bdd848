// Printing a bill of 300 lines to PDF: the browser's print call through the host's print engine,
// against reading the bill with SQLite and printing the same document (the same HTML, fonts and
// page layout) with Qt's text document, page by page.
#include <QAbstractTextDocumentLayout>
#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QString>
#include <QTextDocument>
#include <filesystem>

#include "bench/BenchEnvironment.h"
#include "bench/Operations.h"
#include "data/HostContext.h"
#include "data/PrintEngine.h"

namespace bench {
namespace {

void ClearScratch() {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(BenchEnvironment::Get().ScratchFolder(), ec))
        std::filesystem::remove(entry.path(), ec);
}

void PrintSystem(benchmark::State& state) {
    const std::string serial = BenchEnvironment::Get().Fix().longBills.front();
    for (auto _ : state) {
        data::PrintBillList(*data::Host().HostConnection, serial);
        state.PauseTiming();
        ClearScratch();
        state.ResumeTiming();
    }
}

QString Text(sqlite3_stmt* st, int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st, column));
    return text ? QString::fromUtf8(text).toHtmlEscaped() : QString();
}

QString Money(double value) { return QString::number(value, 'f', 2); }

void PrintRaw(benchmark::State& state) {
    auto& env = BenchEnvironment::Get();
    const std::string serial = env.Fix().longBills.front();
    const QString file = QString::fromStdString(env.ScratchFolder() + "/raw.pdf");
    QFont font;
    font.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Noto Sans CJK SC")});
    font.setPointSize(10);
    for (auto _ : state) {
        RawStatement header(env.Raw().Get(),
                            "SELECT h.lsh, h.kdrq, h.execdate, h.bz, h.czry, h.shry, h.shbz, h.jzbz, h.dwbh, c.mc "
                            "FROM SubAdjuctPrice h LEFT JOIN gl_custom c ON c.tjbh=h.dwbh WHERE h.lsh=?");
        header.Bind(1, serial);
        // The same document as the system prints: title, header fields, the lines under a heading
        // that repeats on every page, the line count and the signatures.
        QString html = QStringLiteral("<h2 align=\"center\" style=\"font-size:16pt\">分支机构商品调价单</h2>"
                                      "<table width=\"100%\" cellspacing=\"0\" cellpadding=\"3\">");
        QString signatures;
        if (sqlite3_step(header.Get()) == SQLITE_ROW) {
            html += QStringLiteral("<tr><td width=\"34%\"><b>流水号：</b>%1</td><td width=\"33%\"><b>开单日期：</b>%2</td>"
                                   "<td width=\"33%\"><b>执行日期：</b>%3</td></tr>")
                        .arg(Text(header.Get(), 0), Text(header.Get(), 1).left(10), Text(header.Get(), 2).left(10));
            html += QStringLiteral("<tr><td colspan=\"2\"><b>分支机构：</b>%1&nbsp;&nbsp;%2</td><td><b>状态：</b>未审核&nbsp;&nbsp;未记帐</td></tr>"
                                   "<tr><td colspan=\"3\"><b>备注：</b>%3</td></tr>")
                        .arg(Text(header.Get(), 8), Text(header.Get(), 9), Text(header.Get(), 3));
            signatures = QStringLiteral("<table width=\"100%\" cellpadding=\"3\"><tr><td width=\"50%\"><b>操作人员：</b>%1</td>"
                                        "<td><b>审核人员：</b>%2</td></tr></table>")
                             .arg(Text(header.Get(), 4), Text(header.Get(), 5));
        }
        html += QStringLiteral(
            "</table><p></p><table width=\"100%\" border=\"1\" cellspacing=\"0\" cellpadding=\"3\" "
            "style=\"border-collapse:collapse\"><thead><tr style=\"background-color:#e8e8e8\"><th width=\"7%\">单号</th>"
            "<th width=\"12%\">货号</th><th>品名</th><th width=\"10%\">原售价</th><th width=\"10%\">新售价</th>"
            "<th width=\"11%\">调价金额</th><th width=\"11%\">调价幅度</th></tr></thead>");
        RawStatement lines(env.Raw().Get(),
                           "SELECT dh, hh, pm, sj1, sj2 FROM SubAdjuctPricemx WHERE lsh=? ORDER BY dh");
        lines.Bind(1, serial);
        int count = 0;
        while (sqlite3_step(lines.Get()) == SQLITE_ROW) {
            const double oldPrice = sqlite3_column_double(lines.Get(), 3), newPrice = sqlite3_column_double(lines.Get(), 4);
            html += QStringLiteral("<tr><td align=\"center\">%1</td><td>%2</td><td>%3</td><td align=\"right\">%4</td>"
                                   "<td align=\"right\">%5</td><td align=\"right\">%6</td><td align=\"right\">%7%</td></tr>")
                        .arg(Text(lines.Get(), 0), Text(lines.Get(), 1), Text(lines.Get(), 2).replace(QLatin1Char('\\'), QStringLiteral(" / ")),
                             Money(oldPrice), Money(newPrice), Money(newPrice - oldPrice),
                             Money(oldPrice != 0 ? (newPrice - oldPrice) / oldPrice * 100 : 0));
            ++count;
        }
        html += QStringLiteral("</table><p>共 %1 行</p>").arg(count) + signatures;
        // Page by page: each page shows its slice of the laid-out document and a foot line.
        QPdfWriter writer(file);
        writer.setResolution(1200);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(15, 15, 15, 15),
                                         QPageLayout::Millimeter));
        QPainter painter(&writer);
        const QRectF area = writer.pageLayout().paintRectPixels(writer.resolution());
        const qreal foot = QFontMetricsF(font, &writer).height() * 2.5;
        const QSizeF body(area.width(), area.height() - foot);
        QTextDocument doc;
        doc.documentLayout()->setPaintDevice(&writer);
        doc.setDefaultFont(font);
        doc.setDocumentMargin(0);
        doc.setHtml(html);
        doc.setPageSize(body);
        const int pages = doc.pageCount();
        for (int p = 0; p < pages; ++p) {
            if (p > 0) writer.newPage();
            painter.save();
            const QRectF slice(0, p * body.height(), body.width(), body.height());
            painter.translate(0, -slice.top());
            painter.setClipRect(slice);
            doc.drawContents(&painter, slice);
            painter.restore();
            painter.drawText(QRectF(0, body.height(), body.width(), foot), Qt::AlignRight | Qt::AlignBottom,
                             QStringLiteral("第 %1 页 / 共 %2 页").arg(p + 1).arg(pages));
        }
    }
    ClearScratch();
}

}  // namespace

void RegisterPrintOperations() {
    if (!BenchEnvironment::Get().Fix().longBills.empty())
        RegisterOperation("printing a 300-line bill to PDF", PrintSystem, PrintRaw);
}

}  // namespace bench
