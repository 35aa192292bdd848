// Printing a bill of 300 lines to PDF: the browser's print call through the host's print engine,
// against reading the bill with SQLite and drawing the same document (title, header fields, the
// line table with its heading on every page, the line count, the signatures and the foot line, in
// the same fonts and page layout) with QPainter into a PDF writer, page by page.
#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QString>
#include <algorithm>
#include <filesystem>
#include <vector>

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

QString Text(const RawStatement& st, int column) {
    const std::string_view text = st.Text(column);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString Money(double value) { return QString::number(value, 'f', 2); }

void PrintRaw(benchmark::State& state) {
    auto& env = BenchEnvironment::Get();
    const std::string serial = env.Fix().longBills.front();
    const QString file = QString::fromStdString(env.ScratchFolder() + "/raw.pdf");
    QFont font;
    font.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Noto Sans CJK SC")});
    font.setPointSize(10);
    QFont bold = font;
    bold.setBold(true);
    QFont title = bold;
    title.setPointSize(16);
    QFont foot = font;
    foot.setPointSize(9);
    const QString headings[7] = {QStringLiteral("单号"),   QStringLiteral("货号"),     QStringLiteral("品名"),
                                 QStringLiteral("原售价"), QStringLiteral("新售价"),   QStringLiteral("调价金额"),
                                 QStringLiteral("调价幅度")};
    constexpr int share[7] = {7, 12, 39, 10, 10, 11, 11};
    for (auto _ : state) {
        QPdfWriter writer(file);
        writer.setResolution(1200);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(15, 15, 15, 15),
                                         QPageLayout::Millimeter));
        const QRectF area = writer.pageLayout().paintRectPixels(writer.resolution());
        const QFontMetricsF metrics(font, &writer), boldMetrics(bold, &writer);
        const qreal pad = writer.resolution() * 0.04, line = metrics.height() * 1.25, row = line + 2 * pad;
        const qreal footHeight = QFontMetricsF(foot, &writer).height() * 2.5, bottom = area.height() - footHeight;
        qreal edge[8] = {0};
        for (int c = 0; c < 7; ++c) edge[c + 1] = edge[c] + area.width() * share[c] / 100;

        // The header: number, dates, branch, state, remark; the signatures.
        RawStatement header(env.Raw(),
                            "SELECT h.lsh, h.kdrq, h.execdate, h.bz, h.czry, h.shry, h.shbz, h.jzbz, h.dwbh, c.mc "
                            "FROM SubAdjuctPrice h LEFT JOIN gl_custom c ON c.tjbh=h.dwbh WHERE h.lsh=?");
        header.Bind(1, serial);
        std::vector<std::pair<QString, QString>> fields;  // label, value
        if (header.Step()) {
            const RawStatement& h = header;
            fields = {{QStringLiteral("流水号："), Text(h, 0)},
                      {QStringLiteral("开单日期："), Text(h, 1).left(10)},
                      {QStringLiteral("执行日期："), Text(h, 2).left(10)},
                      {QStringLiteral("分支机构："), Text(h, 8) + QStringLiteral("  ") + Text(h, 9)},
                      {QStringLiteral("状态："), QString(h.Int(6) ? QStringLiteral("已审核") : QStringLiteral("未审核")) +
                                                   QStringLiteral("  ") +
                                                   (h.Int(7) ? QStringLiteral("已记帐") : QStringLiteral("未记帐"))},
                      {QStringLiteral("备注："), Text(h, 3)},
                      {QStringLiteral("操作人员："), Text(h, 4)},
                      {QStringLiteral("审核人员："), Text(h, 5)}};
        }
        if (fields.empty()) continue;

        // The lines, each row as tall as its wrapped description.
        RawStatement lines(env.Raw(),
                           "SELECT dh, hh, pm, sj1, sj2 FROM SubAdjuctPricemx WHERE lsh=? ORDER BY CAST(dh AS INT)");
        lines.Bind(1, serial);
        struct Row {
            QString cells[7];
            qreal height;
        };
        std::vector<Row> rows;
        while (lines.Step()) {
            const double oldPrice = lines.Double(3), newPrice = lines.Double(4);
            Row r{{Text(lines, 0), Text(lines, 1), Text(lines, 2).replace(QLatin1Char('\\'), QStringLiteral(" / ")),
                   Money(oldPrice), Money(newPrice), Money(newPrice - oldPrice),
                   oldPrice != 0 ? Money((newPrice - oldPrice) / oldPrice * 100) + QLatin1Char('%') : QStringLiteral("—")},
                  0};
            const QRectF text = metrics.boundingRect(QRectF(0, 0, edge[3] - edge[2] - 2 * pad, 0), Qt::TextWordWrap, r.cells[2]);
            r.height = std::max(row, text.height() + 2 * pad);
            rows.push_back(std::move(r));
        }

        // Pages: the title and header on the first, the heading row on each, then as many rows as fit.
        const qreal top = line * 2 + 3 * row + line;
        const qreal trailer = 3 * line + row;
        std::vector<size_t> starts{0};
        qreal used = top + row;
        for (size_t r = 0; r < rows.size(); ++r) {
            if (used + rows[r].height > bottom) {
                starts.push_back(r);
                used = row;
            }
            used += rows[r].height;
            if (r + 1 == rows.size() && used + trailer > bottom) starts.push_back(rows.size());
        }
        starts.push_back(rows.size());
        const int pages = static_cast<int>(starts.size()) - 1;

        QPainter painter(&writer);
        QPen rule(QColor(0x40, 0x40, 0x40));
        rule.setWidthF(writer.resolution() / 150.0);
        auto field = [&](qreal x, qreal y, const std::pair<QString, QString>& f) {
            painter.setFont(bold);
            painter.drawText(QRectF(x + pad, y + pad, area.width(), line), Qt::AlignLeft | Qt::AlignTop, f.first);
            painter.setFont(font);
            painter.drawText(QRectF(x + pad + boldMetrics.horizontalAdvance(f.first), y + pad, area.width(), line),
                             Qt::AlignLeft | Qt::AlignTop, f.second);
        };
        for (int p = 0; p < pages; ++p) {
            if (p > 0) writer.newPage();
            qreal y = 0;
            if (p == 0) {
                painter.setFont(title);
                painter.drawText(QRectF(0, 0, area.width(), line * 2), Qt::AlignCenter, QStringLiteral("分支机构商品调价单"));
                const qreal w = area.width();
                const qreal at[6][2] = {{0, line * 2}, {w * 0.34, line * 2}, {w * 0.67, line * 2},
                                        {0, line * 2 + row}, {w * 0.67, line * 2 + row}, {0, line * 2 + 2 * row}};
                for (int f = 0; f < 6; ++f) field(at[f][0], at[f][1], fields[static_cast<size_t>(f)]);
                y = top;
            }
            const size_t first = starts[static_cast<size_t>(p)], end = starts[static_cast<size_t>(p) + 1];
            if (first < end || p == 0) {
                const qreal tableTop = y;
                painter.fillRect(QRectF(0, y, area.width(), row), QColor(0xE8, 0xE8, 0xE8));
                painter.setFont(bold);
                for (int c = 0; c < 7; ++c) painter.drawText(QRectF(edge[c], y, edge[c + 1] - edge[c], row), Qt::AlignCenter, headings[c]);
                y += row;
                painter.setFont(font);
                painter.setPen(rule);
                painter.drawLine(QLineF(0, tableTop, area.width(), tableTop));
                painter.drawLine(QLineF(0, y, area.width(), y));
                for (size_t r = first; r < end; ++r) {
                    painter.setPen(Qt::black);
                    for (int c = 0; c < 7; ++c) {
                        const int align = c == 0 ? Qt::AlignHCenter : c <= 2 ? Qt::AlignLeft : Qt::AlignRight;
                        painter.drawText(QRectF(edge[c] + pad, y + pad, edge[c + 1] - edge[c] - 2 * pad, rows[r].height - 2 * pad),
                                         align | Qt::AlignTop | (c == 2 ? Qt::TextWordWrap : 0), rows[r].cells[c]);
                    }
                    y += rows[r].height;
                    painter.setPen(rule);
                    painter.drawLine(QLineF(0, y, area.width(), y));
                }
                for (qreal x : edge) painter.drawLine(QLineF(x, tableTop, x, y));
                painter.setPen(Qt::black);
            }
            if (p + 1 == pages) {
                painter.setFont(font);
                painter.drawText(QRectF(pad, y + line, area.width(), line), Qt::AlignLeft | Qt::AlignTop,
                                 QStringLiteral("共 %1 行").arg(rows.size()));
                field(0, y + 2.5 * line, fields[6]);
                field(area.width() / 2, y + 2.5 * line, fields[7]);
            }
            painter.setFont(foot);
            const QRectF footArea(0, bottom, area.width(), footHeight);
            painter.drawText(footArea, Qt::AlignLeft | Qt::AlignBottom, QStringLiteral("分支机构商品调价单  流水号：%1").arg(fields[0].second));
            painter.drawText(footArea, Qt::AlignRight | Qt::AlignBottom, QStringLiteral("第 %1 页 / 共 %2 页").arg(p + 1).arg(pages));
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
