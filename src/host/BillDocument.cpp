#include "host/BillDocument.h"

#include <QAbstractTextDocumentLayout>
#include <QFontDatabase>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QTextDocument>
#include <cmath>

#include "db/Error.h"
#include "host/QtText.h"

namespace host {
namespace {

QString Esc(const std::string& text) { return ToQString(text).toHtmlEscaped(); }

// "name\size\origin\unit" with the empty parts left out.
QString Description(const std::string& pm) {
    QStringList parts = ToQString(pm).split(QLatin1Char('\\'));
    parts.removeIf([](const QString& p) { return p.trimmed().isEmpty(); });
    return parts.join(QStringLiteral(" / ")).toHtmlEscaped();
}

QString Field(const QString& label, const QString& escapedValue) {
    return QStringLiteral("<b>%1：</b>%2").arg(label, escapedValue);
}

}  // namespace

QString FormatMoney(double value) {
    const double cents = std::round(value * 100.0);
    return QString::number(cents == 0 ? 0.0 : cents / 100.0, 'f', 2);
}

QString FormatChangePercent(double oldPrice, double newPrice) {
    if (std::fabs(oldPrice) < 0.00005) return QStringLiteral("—");
    return FormatMoney((newPrice - oldPrice) / oldPrice * 100.0) + QLatin1Char('%');
}

BillDocument::BillDocument(std::vector<PrintedBill> bills) : bills_(std::move(bills)) {}

namespace {

QString FirstInstalled(std::initializer_list<const char*> families) {
    const QStringList installed = QFontDatabase::families();
    for (const char* f : families)
        if (installed.contains(QLatin1String(f))) return QString::fromLatin1(f);
    return {};
}

// Noto Sans CJK's own digits come out of Qt's PDF writer without their character codes, so
// Latin text takes a Latin family and only Chinese falls through to the CJK family.
const QString& LatinFamily() {
    static const QString family = FirstInstalled({"DejaVu Sans", "Liberation Sans", "Noto Sans", "FreeSans"});
    return family;
}

const QString& ChineseFamily() {
    static const QString family =
        FirstInstalled({"Noto Sans CJK SC", "Noto Sans SC", "Source Han Sans SC", "WenQuanYi Micro Hei", "Droid Sans Fallback"});
    return family;
}

}  // namespace

QFont BillDocument::Font(int pointSize) {
    QFont font;
    QStringList families;
    if (!LatinFamily().isEmpty()) families << LatinFamily();
    if (!ChineseFamily().isEmpty()) families << ChineseFamily();
    if (!families.isEmpty()) font.setFamilies(families);
    font.setPointSize(pointSize);
    return font;
}

QFont BillDocument::ChineseFont(int pointSize) {
    QFont font = ChineseFamily().isEmpty() ? QFont() : QFont(ChineseFamily());
    font.setPointSize(pointSize);
    return font;
}

QString BillDocument::BodyHtml(const PrintedBill& bill) {
    QString html;
    html += QStringLiteral("<h2 align=\"center\" style=\"font-size:16pt\">分支机构商品调价单</h2>");
    html += QStringLiteral("<table width=\"100%\" cellspacing=\"0\" cellpadding=\"3\">");
    html += QStringLiteral("<tr><td width=\"34%\">%1</td><td width=\"33%\">%2</td><td width=\"33%\">%3</td></tr>")
                .arg(Field(QStringLiteral("流水号"), Esc(bill.serial)), Field(QStringLiteral("开单日期"), Esc(bill.billDate)),
                     Field(QStringLiteral("执行日期"), Esc(bill.execDate)));
    const QString target = Esc(bill.targetCode) + QStringLiteral("&nbsp;&nbsp;") + Esc(bill.targetName);
    const QString state = (bill.audited ? QStringLiteral("已审核") : QStringLiteral("未审核")) + QStringLiteral("&nbsp;&nbsp;") +
                          (bill.posted ? QStringLiteral("已记帐") : QStringLiteral("未记帐"));
    html += QStringLiteral("<tr><td colspan=\"2\">%1</td><td>%2</td></tr>")
                .arg(Field(bill.toBranchType ? QStringLiteral("分支机构类型") : QStringLiteral("分支机构"), target),
                     Field(QStringLiteral("状态"), state));
    html += QStringLiteral("<tr><td colspan=\"3\">%1</td></tr>").arg(Field(QStringLiteral("备注"), Esc(bill.remark)));
    html += QStringLiteral("</table><p></p>");

    html += QStringLiteral(
        "<table width=\"100%\" border=\"1\" cellspacing=\"0\" cellpadding=\"3\" style=\"border-collapse:collapse\">"
        "<thead><tr style=\"background-color:#e8e8e8\">"
        "<th width=\"7%\">单号</th><th width=\"12%\">货号</th><th>品名</th><th width=\"10%\">原售价</th>"
        "<th width=\"10%\">新售价</th><th width=\"11%\">调价金额</th><th width=\"11%\">调价幅度</th></tr></thead>");
    for (const PrintedBillLine& l : bill.lines) {
        html += QStringLiteral(
                    "<tr><td align=\"center\">%1</td><td>%2</td><td>%3</td><td align=\"right\">%4</td>"
                    "<td align=\"right\">%5</td><td align=\"right\">%6</td><td align=\"right\">%7</td></tr>")
                    .arg(Esc(l.lineNo), Esc(l.itemCode), Description(l.description), FormatMoney(l.oldPrice),
                         FormatMoney(l.newPrice), FormatMoney(l.newPrice - l.oldPrice),
                         FormatChangePercent(l.oldPrice, l.newPrice));
    }
    html += QStringLiteral("</table>");
    html += QStringLiteral("<p>共 %1 行</p>").arg(bill.lines.size());
    html += QStringLiteral("<table width=\"100%\" cellpadding=\"3\"><tr><td width=\"50%\">%1</td><td>%2</td></tr></table>")
                .arg(Field(QStringLiteral("操作人员"), Esc(bill.operatorName)),
                     Field(QStringLiteral("审核人员"), Esc(bill.auditor)));
    return html;
}

void BillDocument::SetUpPage(QPrinter& printer) {
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(15, 15, 15, 15),
                                      QPageLayout::Millimeter));
    printer.setDocName(QStringLiteral("分支机构商品调价单"));
    printer.setCreator(QStringLiteral("分支机构商品调价单"));
}

void BillDocument::Paint(QPrinter& printer) const {
    QPainter painter;
    if (!painter.begin(&printer)) throw db::Error(db::ErrorCode::Generic, "打印机不能使用：" + ToStdString(printer.outputFileName()));
    const QRectF area = printer.pageLayout().paintRectPixels(printer.resolution());
    const QFont footFont = Font(9);
    const qreal footHeight = QFontMetricsF(footFont, &printer).height() * 2.5;
    const QSizeF body(area.width(), area.height() - footHeight);

    bool firstPage = true;
    for (const PrintedBill& bill : bills_) {
        QTextDocument doc;
        doc.documentLayout()->setPaintDevice(&printer);
        doc.setDefaultFont(Font(10));
        doc.setDocumentMargin(0);
        doc.setHtml(BodyHtml(bill));
        doc.setPageSize(body);
        const int pages = doc.pageCount();
        for (int p = 0; p < pages; ++p) {
            if (!firstPage) printer.newPage();
            firstPage = false;
            painter.save();
            const QRectF slice(0, p * body.height(), body.width(), body.height());
            painter.translate(0, -slice.top());
            painter.setClipRect(slice);
            doc.drawContents(&painter, slice);
            painter.restore();

            painter.setFont(footFont);
            const QRectF foot(0, body.height(), body.width(), footHeight);
            painter.drawText(foot, Qt::AlignLeft | Qt::AlignBottom,
                             QStringLiteral("分支机构商品调价单  流水号：%1").arg(ToQString(bill.serial)));
            painter.drawText(foot, Qt::AlignRight | Qt::AlignBottom, QStringLiteral("第 %1 页 / 共 %2 页").arg(p + 1).arg(pages));
        }
    }
    painter.end();
}

}  // namespace host
