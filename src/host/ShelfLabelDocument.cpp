#include "host/ShelfLabelDocument.h"

#include <zint.h>

#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "db/Error.h"
#include "host/BillDocument.h"
#include "host/MixedText.h"
#include "host/PdfFile.h"
#include "host/QtText.h"

namespace host {
namespace {

struct ZintDelete {
    void operator()(zint_symbol* symbol) const { ZBarcode_Delete(symbol); }
};

// The sheets in millimetres.
struct SheetGeometry {
    QSizeF page;
    int columns, rows;
    QSizeF label;
    QPointF origin;  // of the first label on the page
    bool outline;    // a cutting line around each label
};

SheetGeometry Geometry(data::LabelSheet sheet) {
    if (sheet == data::LabelSheet::Roll) return {QSizeF(60, 40), 1, 1, QSizeF(60, 40), QPointF(0, 0), false};
    // 8 rows of 37 mm leave half a millimetre above and below on 297 mm.
    return {QSizeF(210, 297), 3, 8, QSizeF(70, 37), QPointF(0, 0.5), true};
}

struct Slot {
    size_t set, label;
    int cell;
};
using Page = std::vector<Slot>;

std::vector<Page> LayOut(const data::LabelJob& job) {
    const SheetGeometry g = Geometry(job.sheet);
    const size_t perPage = static_cast<size_t>(g.columns * g.rows);
    std::vector<Page> pages;
    for (size_t s = 0; s < job.sets.size(); ++s) {
        const auto& labels = job.sets[s].labels;
        for (size_t i = 0; i < labels.size(); ++i) {
            if (i % perPage == 0) pages.emplace_back();
            pages.back().push_back({s, i, static_cast<int>(i % perPage)});
        }
    }
    return pages;
}

QString Price(double value, int decimals) {
    const double rounded = std::round(value * std::pow(10.0, decimals)) / std::pow(10.0, decimals);
    return QStringLiteral("¥") + QString::number(rounded == 0 ? 0.0 : rounded, 'f', std::clamp(decimals, 0, 4));
}

QFont Sized(qreal pointSize, bool bold) {
    QFont font = BillDocument::Font(10);
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

// "规格：500g  产地：烟台  单位：袋", the empty ones left out.
QString Particulars(const data::ShelfLabel& l) {
    QStringList parts;
    auto add = [&parts](const char* caption, const std::string& value) {
        const QString v = VisibleText(value).trimmed();
        if (!v.isEmpty()) parts << QString::fromUtf8(caption) + v;
    };
    add("规格：", l.size);
    add("产地：", l.origin);
    add("单位：", l.unit);
    return parts.join(QStringLiteral("  "));
}

class LabelPainter {
public:
    LabelPainter(QPainter& painter, const QPaintDevice* device, int dpi, int decimals)
        : painter_(painter), device_(device), mm_(dpi / 25.4), decimals_(decimals) {}

    void Draw(const QRectF& cellMm, const data::ShelfLabel& label, const data::LabelSet& set, bool outline) const {
        const QRectF cell = Px(cellMm);
        if (outline) {
            painter_.setPen(QPen(QColor(170, 170, 170), std::max(1.0, 0.1 * mm_)));
            painter_.setBrush(Qt::NoBrush);
            painter_.drawRect(cell);
        }
        painter_.setPen(Qt::black);
        const qreal pad = 2.5 * mm_;
        const QRectF in = cell.adjusted(pad, pad, -pad, -pad);

        const MixedText name(Sized(10.5, true), device_);
        const QRectF nameBox(in.left(), in.top(), in.width(), name.Height());
        name.Draw(painter_, nameBox, Qt::AlignLeft | Qt::AlignVCenter, name.Elided(VisibleText(label.name), in.width()));

        const MixedText small(Sized(6.5, false), device_);
        const QRectF partsBox(in.left(), nameBox.bottom(), in.width(), small.Height());
        small.Draw(painter_, partsBox, Qt::AlignLeft | Qt::AlignVCenter, small.Elided(Particulars(label), in.width()));

        const QRectF footBox(in.left(), in.bottom() - small.Height(), in.width(), small.Height());
        const QString date = label.execDate.empty() ? QString() : QStringLiteral("执行日期：") + ToQString(label.execDate);
        small.Draw(painter_, footBox, Qt::AlignLeft | Qt::AlignVCenter, date);
        const qreal dateWidth = small.Advance(date) + 2 * mm_;
        small.Draw(painter_, footBox, Qt::AlignRight | Qt::AlignVCenter,
                   small.Elided(VisibleText(set.targetName), std::max<qreal>(0, in.width() - dateWidth)));

        const QRectF middle(in.left(), partsBox.bottom() + 0.8 * mm_, in.width(),
                            footBox.top() - partsBox.bottom() - 1.6 * mm_);
        const qreal codeWidth = middle.width() * 0.54;
        DrawBarcode(QRectF(middle.left(), middle.top(), codeWidth, middle.height()), label.itemCode, small);
        DrawPrices(QRectF(middle.left() + codeWidth + 1.5 * mm_, middle.top(), middle.width() - codeWidth - 1.5 * mm_,
                          middle.height()),
                   label, small);
    }

private:
    QRectF Px(const QRectF& mm) const { return QRectF(mm.x() * mm_, mm.y() * mm_, mm.width() * mm_, mm.height() * mm_); }

    void DrawBarcode(const QRectF& box, const std::string& code, const MixedText& small) const {
        const QRectF text(box.left(), box.bottom() - small.Height(), box.width(), small.Height());
        const QRectF bars(box.left(), box.top(), box.width(), text.top() - box.top());
        DrawCode128(painter_, bars, code);
        painter_.setPen(Qt::black);
        small.Draw(painter_, text, Qt::AlignHCenter | Qt::AlignVCenter, small.Elided(VisibleText(code), box.width()));
    }

    void DrawPrices(const QRectF& box, const data::ShelfLabel& label, const MixedText& small) const {
        const QString old = Price(label.oldPrice, decimals_);
        const QString caption = QStringLiteral("原价 ");
        const QRectF oldBox(box.left(), box.top(), box.width(), small.Height());
        small.Draw(painter_, oldBox, Qt::AlignRight | Qt::AlignVCenter, caption + old);
        if (label.strikeOld) {
            const qreal right = oldBox.right();
            const qreal left = right - small.Advance(old);
            const qreal y = oldBox.center().y();
            painter_.setPen(QPen(Qt::black, std::max(1.0, 0.15 * mm_)));
            painter_.drawLine(QPointF(left, y), QPointF(right, y));
            painter_.setPen(Qt::black);
        }
        // The new price as large as the room allows, up to 26 points.
        const QString price = Price(label.newPrice, decimals_);
        const QRectF priceBox(box.left(), oldBox.bottom(), box.width(), box.bottom() - oldBox.bottom());
        for (qreal size = 26; size >= 6; size -= 1) {
            const MixedText big(Sized(size, true), device_);
            if (size > 6 && (big.Advance(price) > priceBox.width() || big.Height() > priceBox.height())) continue;
            big.Draw(painter_, priceBox, Qt::AlignRight | Qt::AlignVCenter, price);
            break;
        }
    }

    QPainter& painter_;
    const QPaintDevice* device_;
    qreal mm_;
    int decimals_;
};

}  // namespace

bool DrawCode128(QPainter& painter, const QRectF& box, const std::string& code) {
    if (code.empty() || box.width() <= 0 || box.height() <= 0) return false;
    std::unique_ptr<zint_symbol, ZintDelete> symbol(ZBarcode_Create());
    if (!symbol) return false;
    symbol->symbology = BARCODE_CODE128;
    symbol->input_mode = UNICODE_MODE;
    symbol->show_hrt = 0;
    symbol->output_options |= BARCODE_QUIET_ZONES;
    const int rc = ZBarcode_Encode_and_Buffer_Vector(symbol.get(), reinterpret_cast<const unsigned char*>(code.data()),
                                                     static_cast<int>(code.size()), 0);
    const zint_vector* vector = symbol->vector;
    if (rc >= ZINT_ERROR || !vector || vector->width <= 0 || vector->height <= 0) return false;
    const qreal sx = box.width() / vector->width, sy = box.height() / vector->height;
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    for (const zint_vector_rect* r = vector->rectangles; r; r = r->next) {
        if (r->colour != -1 && r->colour != 7) continue;  // foreground (or black) bars only
        painter.drawRect(QRectF(box.left() + r->x * sx, box.top() + r->y * sy, r->width * sx, r->height * sy));
    }
    painter.restore();
    return true;
}

ShelfLabelDocument::ShelfLabelDocument(data::LabelJob job) : job_(std::move(job)) {}

QPageLayout ShelfLabelDocument::PageLayout() const {
    const SheetGeometry g = Geometry(job_.sheet);
    const QPageSize size = job_.sheet == data::LabelSheet::Roll
                               ? QPageSize(g.page, QPageSize::Millimeter, QStringLiteral("60x40mm"), QPageSize::ExactMatch)
                               : QPageSize(QPageSize::A4);
    return QPageLayout(size, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

void ShelfLabelDocument::SetUpPage(QPrinter& printer) const {
    printer.setFullPage(true);
    printer.setPageLayout(PageLayout());
    printer.setDocName(QStringLiteral("价签"));
    printer.setCreator(QStringLiteral("分支机构商品调价单"));
}

int ShelfLabelDocument::PageCount() const { return static_cast<int>(LayOut(job_).size()); }

template <class Device>
void ShelfLabelDocument::PaintOn(Device& device) const {
    QPainter painter;
    if (!painter.begin(&device)) throw db::Error(db::ErrorCode::Generic, "打印机不能使用");
    const SheetGeometry g = Geometry(job_.sheet);
    const LabelPainter labels(painter, &device, device.resolution(), job_.decimals);
    const std::vector<Page> pages = LayOut(job_);
    for (size_t p = 0; p < pages.size(); ++p) {
        if (p > 0) device.newPage();
        for (const Slot& slot : pages[p]) {
            const QPointF at(g.origin.x() + (slot.cell % g.columns) * g.label.width(),
                             g.origin.y() + (slot.cell / g.columns) * g.label.height());
            const data::LabelSet& set = job_.sets[slot.set];
            labels.Draw(QRectF(at, g.label), set.labels[slot.label], set, g.outline);
        }
    }
    painter.end();
}

void ShelfLabelDocument::Paint(QPrinter& printer) const { PaintOn(printer); }

void ShelfLabelDocument::Paint(QPdfWriter& writer) const { PaintOn(writer); }

QByteArray ShelfLabelDocument::Pdf() const {
    return RenderPdf(PageLayout(), QStringLiteral("价签"), QStringLiteral("分支机构商品调价单"),
                     [this](QPdfWriter& writer) { Paint(writer); });
}

}  // namespace host
