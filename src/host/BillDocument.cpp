#include "host/BillDocument.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QTextLayout>
#include <algorithm>
#include <array>
#include <cmath>
#include <tuple>
#include <vector>

#include "db/Error.h"
#include "host/MixedText.h"
#include "host/PdfFile.h"
#include "host/QtText.h"

namespace host {

QString FormatMoney(double value) {
    const double cents = std::round(value * 100.0);
    return QString::number(cents == 0 ? 0.0 : cents / 100.0, 'f', 2);
}

QString FormatChangePercent(double oldPrice, double newPrice) {
    if (std::fabs(oldPrice) < 0.00005) return QStringLiteral("—");
    return FormatMoney((newPrice - oldPrice) / oldPrice * 100.0) + QLatin1Char('%');
}

BillDocument::BillDocument(std::vector<PrintedBill> bills) : bills_(std::move(bills)) {}

QFont BillDocument::Font(int pointSize) {
    QFont font;
    QStringList families;
    if (!MixedText::LatinFamily().isEmpty()) families << MixedText::LatinFamily();
    if (!MixedText::ChineseFamily().isEmpty()) families << MixedText::ChineseFamily();
    if (!families.isEmpty()) font.setFamilies(families);
    font.setPointSize(pointSize);
    return font;
}

QFont BillDocument::ChineseFont(int pointSize) {
    QFont font = MixedText::ChineseFamily().isEmpty() ? QFont() : QFont(MixedText::ChineseFamily());
    font.setPointSize(pointSize);
    return font;
}

QPageLayout BillDocument::PageLayout() {
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
}

void BillDocument::SetUpPage(QPrinter& printer) {
    printer.setPageLayout(PageLayout());
    printer.setDocName(QStringLiteral("分支机构商品调价单"));
    printer.setCreator(QStringLiteral("分支机构商品调价单"));
}

namespace {

constexpr int kColumns = 7;
// The line table's columns: share of the width in percent, and how their texts align.
constexpr std::array<int, kColumns> kShare = {7, 12, 39, 10, 10, 11, 11};
constexpr std::array<Qt::Alignment::Int, kColumns> kAlign = {Qt::AlignHCenter, Qt::AlignLeft,  Qt::AlignLeft, Qt::AlignRight,
                                                            Qt::AlignRight,   Qt::AlignRight, Qt::AlignRight};

const QStringList& Headings() {
    static const QStringList headings = {QStringLiteral("单号"),   QStringLiteral("货号"),     QStringLiteral("品名"),
                                         QStringLiteral("原售价"), QStringLiteral("新售价"),   QStringLiteral("调价金额"),
                                         QStringLiteral("调价幅度")};
    return headings;
}

// "name\size\origin\unit" with the empty parts left out.
QString Description(const std::string& pm) {
    QStringList parts = VisibleText(pm).split(QLatin1Char('\\'));
    parts.removeIf([](const QString& p) { return p.trimmed().isEmpty(); });
    return parts.join(QStringLiteral(" / "));
}

QFont Bold(QFont font) {
    font.setBold(true);
    return font;
}

// One line of a text as it is drawn, with its width on the page.
struct TextLine {
    QString text;
    qreal width = 0;
};
using Lines = std::vector<TextLine>;

// The page geometry on one printer: fonts, the printable area above the foot line and spacing,
// all in the printer's device units.
struct Sheet {
    Sheet(QPaintDevice& printer, const QPageLayout& page, int dpi)
        : device(&printer),
          titleFont(BillDocument::Font(16)),
          bodyFont(BillDocument::Font(10)),
          boldFont(Bold(BillDocument::Font(10))),
          footFont(BillDocument::Font(9)),
          body(bodyFont, &printer),
          bold(boldFont, &printer),
          title(Bold(titleFont), &printer),
          foot(footFont, &printer) {
        titleFont.setBold(true);
        const QRectF area = page.paintRectPixels(dpi);
        width = area.width();
        footHeight = foot.Height() * 2.5;
        bodyHeight = area.height() - footHeight;
        // Chinese glyphs come from the second family, which stands taller than the Latin one.
        lineHeight = std::max(body.Height(), bold.Height());
        ascent = std::max(body.Ascent(), bold.Ascent());
        padX = dpi * 0.04;  // about 1 mm
        padY = dpi * 0.035;
        rule = std::max<qreal>(1.0, dpi / 150.0);
        titleHeight = title.Height() * 2;
        rowGap = lineHeight * 0.8;
        headingHeight = lineHeight + 2 * padY;
    }
    qreal RowHeight(int lines) const { return std::max(lines, 1) * lineHeight + 2 * padY; }

    // The text broken into lines no wider than `room`: at word boundaries where it can, anywhere
    // in a word longer than the room, and at its own line breaks.
    // `width`: the text's width on one line when known.
    Lines Wrap(const QString& text, const QFont& font, const MixedText& metrics, qreal room, qreal width = -1) const {
        if (text.isEmpty()) return {};
        const bool breaks = text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
        if (!breaks) {
            const qreal w = width >= 0 ? width : metrics.Advance(text);
            if (w <= room) return {{text, w}};
        }
        QString flowing = text;
        flowing.remove(QLatin1Char('\r')).replace(QLatin1Char('\n'), QChar::LineSeparator);
        QTextLayout layout(flowing, font, device);
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) line.setLineWidth(room);
        layout.endLayout();
        Lines lines;
        for (int i = 0; i < layout.lineCount(); ++i) {
            const QTextLine line = layout.lineAt(i);
            QString part = flowing.mid(line.textStart(), line.textLength());
            while (!part.isEmpty() && (part.back().isSpace() || part.back() == QChar::LineSeparator)) part.chop(1);
            lines.push_back({part, part.isEmpty() ? 0 : metrics.Advance(part)});
        }
        return lines;
    }

    QPaintDevice* device;
    QFont titleFont, bodyFont, boldFont, footFont;
    MixedText body, bold, title, foot;
    qreal width = 0, bodyHeight = 0, footHeight = 0;
    qreal lineHeight = 0, ascent = 0, padX = 0, padY = 0, rule = 0;
    qreal titleHeight = 0, rowGap = 0, headingHeight = 0;
};

// A bold label and its value, wrapped under itself, in a cell of a header row.
struct Field {
    QString label;
    qreal x = 0, labelWidth = 0;
    Lines value;
};

struct FieldRow {
    std::vector<Field> fields;
    qreal top = 0, height = 0;
};

// Fields side by side, each taking its share (in percent) of the width.
FieldRow MakeFieldRow(const Sheet& s, std::initializer_list<std::tuple<QString, QString, int>> fields) {
    FieldRow row;
    int share = 0, lines = 1;
    for (const auto& [label, value, part] : fields) {
        Field f;
        f.label = label + QStringLiteral("：");
        f.x = s.width * share / 100.0;
        f.labelWidth = s.bold.Advance(f.label);
        const qreal room = std::max(s.width * part / 100.0 - 2 * s.padX - f.labelWidth, s.width * 0.1);
        f.value = s.Wrap(value, s.bodyFont, s.body, room);
        lines = std::max(lines, static_cast<int>(f.value.size()));
        row.fields.push_back(std::move(f));
        share += part;
    }
    row.height = s.RowHeight(lines);
    return row;
}

struct TableRow {
    std::array<Lines, kColumns> cells;
    int lines = 1;
};

// The lines [first, end) of a table row, drawn from `top` (a whole row unless it is taller than a page).
struct Piece {
    int row = 0, first = 0, end = 0;
    qreal top = 0;
};

struct Page {
    bool opening = false;  // the title and the header fields on top
    bool table = false;    // the line table's heading at tableTop, then the pieces
    qreal tableTop = 0;
    std::vector<Piece> pieces;
    qreal trailerTop = -1;  // the line count and the signatures, when on this page
};

// One bill on pages.
struct BillLayout {
    std::vector<FieldRow> header;
    std::array<qreal, kColumns + 1> edge{};  // the columns' left edges, then the table's right edge
    std::vector<TableRow> rows;
    FieldRow signatures;
    qreal trailerHeight = 0;
    std::vector<Page> pages;
};

BillLayout LayOut(const Sheet& s, const PrintedBill& bill) {
    BillLayout b;
    qreal y = s.titleHeight;
    const QString target = VisibleText(bill.targetCode) + QStringLiteral("  ") + VisibleText(bill.targetName);
    const QString state = (bill.audited ? QStringLiteral("已审核") : QStringLiteral("未审核")) + QStringLiteral("  ") +
                          (bill.posted ? QStringLiteral("已记帐") : QStringLiteral("未记帐"));
    b.header.push_back(MakeFieldRow(s, {{QStringLiteral("流水号"), VisibleText(bill.serial), 34},
                                        {QStringLiteral("开单日期"), VisibleText(bill.billDate), 33},
                                        {QStringLiteral("执行日期"), VisibleText(bill.execDate), 33}}));
    b.header.push_back(MakeFieldRow(
        s, {{bill.toBranchType ? QStringLiteral("分支机构类型") : QStringLiteral("分支机构"), target, 67},
            {QStringLiteral("状态"), state, 33}}));
    b.header.push_back(MakeFieldRow(s, {{QStringLiteral("备注"), VisibleText(bill.remark), 100}}));
    for (FieldRow& row : b.header) {
        row.top = y;
        y += row.height;
    }
    y += s.rowGap;

    // The cells' texts on one line first: the line number and the number columns widen to their
    // widest text, at the expense of the description; the texts wrap in the widths that result.
    struct Cell {
        QString text;
        qreal width;
    };
    std::vector<std::array<Cell, kColumns>> cells;
    cells.reserve(bill.lines.size());
    std::array<qreal, kColumns> widest{};
    for (const PrintedBillLine& l : bill.lines) {
        const QString texts[kColumns] = {VisibleText(l.lineNo).simplified(),
                                         VisibleText(l.itemCode).simplified(),
                                         Description(l.description).simplified(),
                                         FormatMoney(l.oldPrice),
                                         FormatMoney(l.newPrice),
                                         FormatMoney(l.newPrice - l.oldPrice),
                                         FormatChangePercent(l.oldPrice, l.newPrice)};
        std::array<Cell, kColumns>& row = cells.emplace_back();
        for (int c = 0; c < kColumns; ++c) {
            row[c] = {texts[c], s.body.Advance(texts[c])};
            widest[c] = std::max(widest[c], row[c].width);
        }
    }
    std::array<qreal, kColumns> widths{};
    for (int c = 0; c < kColumns; ++c) widths[c] = s.width * kShare[c] / 100.0;
    constexpr int kDescription = 2;
    for (int c : {0, 3, 4, 5, 6}) {
        const qreal extra = std::min(widest[c] + 2 * s.padX - widths[c], widths[kDescription] - s.width * 0.15);
        if (extra <= 0) continue;
        widths[c] += extra;
        widths[kDescription] -= extra;
    }
    for (int c = 0; c < kColumns; ++c) b.edge[c + 1] = b.edge[c] + widths[c];

    b.rows.reserve(cells.size());
    for (const auto& texts : cells) {
        TableRow row;
        for (int c = 0; c < kColumns; ++c) {
            row.cells[c] = s.Wrap(texts[c].text, s.bodyFont, s.body, widths[c] - 2 * s.padX, texts[c].width);
            row.lines = std::max(row.lines, static_cast<int>(row.cells[c].size()));
        }
        b.rows.push_back(std::move(row));
    }

    b.signatures = MakeFieldRow(s, {{QStringLiteral("操作人员"), VisibleText(bill.operatorName), 50},
                                    {QStringLiteral("审核人员"), VisibleText(bill.auditor), 50}});
    b.trailerHeight = s.rowGap + s.lineHeight + s.rowGap + b.signatures.height;

    Page page;
    page.opening = true;
    auto nextPage = [&] {
        b.pages.push_back(std::move(page));
        page = Page{};
        y = 0;
    };
    auto startTable = [&] {
        page.table = true;
        page.tableTop = y;
        y += s.headingHeight;
    };
    const qreal pageRoom = s.bodyHeight - s.headingHeight;  // for rows on a page of their own
    for (int r = 0; r < static_cast<int>(b.rows.size()); ++r) {
        const int lines = b.rows[r].lines;
        for (int first = 0; first < lines;) {
            const bool fresh = !page.opening && !page.table;
            const qreal room = s.bodyHeight - y - (page.table ? 0 : s.headingHeight);
            int end = lines;
            if (s.RowHeight(lines - first) > room) {
                // A row goes whole onto the next page; only one taller than a page is divided.
                if (!fresh && s.RowHeight(lines - first) <= pageRoom) {
                    nextPage();
                    continue;
                }
                const int fit = static_cast<int>(std::floor((room - 2 * s.padY) / s.lineHeight));
                if (fit < 1 && !fresh) {
                    nextPage();
                    continue;
                }
                end = first + std::max(fit, 1);
            }
            if (!page.table) startTable();
            page.pieces.push_back({r, first, end, y});
            y += s.RowHeight(end - first);
            first = end;
        }
    }
    if (b.rows.empty()) startTable();
    if (y + b.trailerHeight > s.bodyHeight && (page.opening || page.table)) nextPage();
    page.trailerTop = y;
    b.pages.push_back(std::move(page));
    return b;
}

void DrawFieldRow(QPainter& painter, const Sheet& s, const FieldRow& row) {
    const qreal baseline = row.top + s.padY + s.ascent;
    for (const Field& f : row.fields) {
        s.bold.Draw(painter, QPointF(f.x + s.padX, baseline), f.label);
        for (size_t i = 0; i < f.value.size(); ++i)
            s.body.Draw(painter, QPointF(f.x + s.padX + f.labelWidth, baseline + static_cast<qreal>(i) * s.lineHeight),
                        f.value[i].text);
    }
}

void DrawTable(QPainter& painter, const Sheet& s, const BillLayout& b, const Page& page) {
    const QRectF heading(0, page.tableTop, s.width, s.headingHeight);
    painter.fillRect(heading, QColor(0xE8, 0xE8, 0xE8));
    for (int c = 0; c < kColumns; ++c)
        s.bold.Draw(painter, QRectF(b.edge[c], heading.top(), b.edge[c + 1] - b.edge[c], heading.height()), Qt::AlignCenter,
                    Headings()[c]);

    for (const Piece& piece : page.pieces) {
        const TableRow& row = b.rows[static_cast<size_t>(piece.row)];
        for (int c = 0; c < kColumns; ++c) {
            const Lines& cell = row.cells[c];
            for (int i = piece.first; i < piece.end && i < static_cast<int>(cell.size()); ++i) {
                const TextLine& line = cell[static_cast<size_t>(i)];
                const qreal room = b.edge[c + 1] - b.edge[c] - 2 * s.padX;
                qreal x = b.edge[c] + s.padX;
                if (kAlign[c] == Qt::AlignRight) x += room - line.width;
                else if (kAlign[c] == Qt::AlignHCenter) x += (room - line.width) / 2;
                s.body.Draw(painter, QPointF(x, piece.top + s.padY + (i - piece.first) * s.lineHeight + s.ascent), line.text);
            }
        }
    }

    // The rules: round each row and between the columns, from the heading's top to the last row's foot.
    const qreal bottom =
        page.pieces.empty() ? heading.bottom() : page.pieces.back().top + s.RowHeight(page.pieces.back().end - page.pieces.back().first);
    QPen pen(QColor(0x40, 0x40, 0x40));
    pen.setWidthF(s.rule);
    painter.setPen(pen);
    std::vector<QLineF> rules;
    rules.reserve(page.pieces.size() + kColumns + 3);
    rules.emplace_back(0, heading.top(), s.width, heading.top());
    rules.emplace_back(0, heading.bottom(), s.width, heading.bottom());
    for (const Piece& piece : page.pieces) {
        const qreal foot = piece.top + s.RowHeight(piece.end - piece.first);
        rules.emplace_back(0, foot, s.width, foot);
    }
    for (qreal x : b.edge) rules.emplace_back(x, heading.top(), x, bottom);
    painter.drawLines(rules.data(), static_cast<int>(rules.size()));
    painter.setPen(Qt::black);
}

void DrawPage(QPainter& painter, const Sheet& s, const PrintedBill& bill, const BillLayout& b, size_t index) {
    const Page& page = b.pages[index];
    painter.setPen(Qt::black);
    if (page.opening) {
        s.title.Draw(painter, QRectF(0, 0, s.width, s.titleHeight), Qt::AlignCenter, QStringLiteral("分支机构商品调价单"));
        for (const FieldRow& row : b.header) DrawFieldRow(painter, s, row);
    }
    if (page.table) DrawTable(painter, s, b, page);
    if (page.trailerTop >= 0) {
        const qreal countTop = page.trailerTop + s.rowGap;
        s.body.Draw(painter, QPointF(s.padX, countTop + s.ascent), QStringLiteral("共 %1 行").arg(bill.lines.size()));
        FieldRow signatures = b.signatures;
        signatures.top = countTop + s.lineHeight + s.rowGap;
        DrawFieldRow(painter, s, signatures);
    }

    const QRectF foot(0, s.bodyHeight, s.width, s.footHeight);
    const QString pageNumber = QStringLiteral("第 %1 页 / 共 %2 页").arg(index + 1).arg(b.pages.size());
    const qreal numberWidth = s.foot.Advance(pageNumber);
    const QString left = s.foot.Elided(QStringLiteral("分支机构商品调价单  流水号：%1").arg(VisibleText(bill.serial)),
                                       std::max<qreal>(0, s.width - numberWidth - s.padX * 4));
    s.foot.Draw(painter, foot, Qt::AlignLeft | Qt::AlignBottom, left);
    s.foot.Draw(painter, foot, Qt::AlignRight | Qt::AlignBottom, pageNumber);
}

template <class Device>
void PaintBills(const std::vector<PrintedBill>& bills, Device& printer) {
    QPainter painter;
    if (!painter.begin(&printer)) throw db::Error(db::ErrorCode::Generic, "打印机不能使用");
    const Sheet sheet(printer, printer.pageLayout(), printer.resolution());
    bool firstPage = true;
    for (const PrintedBill& bill : bills) {
        const BillLayout layout = LayOut(sheet, bill);
        for (size_t p = 0; p < layout.pages.size(); ++p) {
            if (!firstPage) printer.newPage();
            firstPage = false;
            DrawPage(painter, sheet, bill, layout, p);
        }
    }
    painter.end();
}

}  // namespace

void BillDocument::Paint(QPrinter& printer) const { PaintBills(bills_, printer); }

void BillDocument::Paint(QPdfWriter& writer) const { PaintBills(bills_, writer); }

QByteArray BillDocument::Pdf() const {
    return RenderPdf(PageLayout(), QStringLiteral("分支机构商品调价单"), QStringLiteral("分支机构商品调价单"),
                     [this](QPdfWriter& writer) { Paint(writer); });
}

}  // namespace host
