// Reads back the workbooks the report grid writes: the zip container (stored or deflated entries,
// through zlib), the shared strings, the first sheet's cells and each cell's number format.
#pragma once
#include <QByteArray>
#include <QFile>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QXmlStreamReader>
#include <algorithm>
#include <cstdint>
#include <zlib.h>

namespace host_test {

struct XlsxCell {
    QString type;    // "s" shared string, "n" number, "inlineStr", "str"
    QString text;    // the string, or the number as written
    QString format;  // the cell's number format code ("" for General)
    bool bold = false;
};

class XlsxReader {
public:
    explicit XlsxReader(const QString& path) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) return;
        zip_ = f.readAll();
        ok_ = ReadDirectory();
        if (!ok_) return;
        ReadStrings();
        ReadStyles();
        ReadSheet(QStringLiteral("xl/worksheets/sheet1.xml"));
    }
    bool Ok() const { return ok_; }
    QByteArray Entry(const QString& name) const {
        auto it = entries_.find(name);
        if (it == entries_.end()) return {};
        const Item& e = *it;
        const auto* b = reinterpret_cast<const unsigned char*>(zip_.constData());
        const qsizetype local = e.offset;
        if (local + 30 > zip_.size()) return {};
        const qsizetype data = local + 30 + U16(b + local + 26) + U16(b + local + 28);
        if (data + e.packed > zip_.size()) return {};
        if (e.method == 0) return zip_.mid(data, e.packed);
        QByteArray out(static_cast<qsizetype>(e.size), '\0');
        z_stream z{};
        if (inflateInit2(&z, -MAX_WBITS) != Z_OK) return {};
        z.next_in = const_cast<Bytef*>(b + data);
        z.avail_in = static_cast<uInt>(e.packed);
        z.next_out = reinterpret_cast<Bytef*>(out.data());
        z.avail_out = static_cast<uInt>(out.size());
        const int r = inflate(&z, Z_FINISH);
        inflateEnd(&z);
        return r == Z_STREAM_END ? out : QByteArray();
    }
    QStringList Names() const { return entries_.keys(); }
    // Cells by reference ("A1").
    const QMap<QString, XlsxCell>& Cells() const { return cells_; }
    XlsxCell Cell(const QString& ref) const { return cells_.value(ref); }
    QString Text(const QString& ref) const { return cells_.value(ref).text; }
    int LastRow() const { return lastRow_; }
    // Column widths as written in <cols>, by 1-based column.
    QMap<int, double> Widths() const { return widths_; }
    const QString& SheetName() const { return sheetName_; }

private:
    struct Item {
        int method = 0;
        quint32 packed = 0, size = 0;
        qsizetype offset = 0;
    };
    static quint16 U16(const unsigned char* p) { return static_cast<quint16>(p[0] | p[1] << 8); }
    static quint32 U32(const unsigned char* p) { return static_cast<quint32>(p[0] | p[1] << 8 | p[2] << 16 | quint32(p[3]) << 24); }

    bool ReadDirectory() {
        const auto* b = reinterpret_cast<const unsigned char*>(zip_.constData());
        qsizetype end = -1;
        for (qsizetype i = zip_.size() - 22; i >= 0 && end < 0; --i)
            if (U32(b + i) == 0x06054b50) end = i;
        if (end < 0) return false;
        const int count = U16(b + end + 10);
        qsizetype p = U32(b + end + 16);
        for (int n = 0; n < count; ++n) {
            if (p + 46 > zip_.size() || U32(b + p) != 0x02014b50) return false;
            Item e;
            e.method = U16(b + p + 10);
            e.packed = U32(b + p + 20);
            e.size = U32(b + p + 24);
            const int nameLength = U16(b + p + 28), extra = U16(b + p + 30), comment = U16(b + p + 32);
            e.offset = U32(b + p + 42);
            entries_.insert(QString::fromUtf8(zip_.mid(p + 46, nameLength)), e);
            p += 46 + nameLength + extra + comment;
        }
        return true;
    }

    void ReadStrings() {
        QXmlStreamReader x(Entry(QStringLiteral("xl/sharedStrings.xml")));
        QString current;
        bool inSi = false;
        while (!x.atEnd()) {
            x.readNext();
            if (x.isStartElement() && x.name() == QLatin1String("si")) inSi = true, current.clear();
            else if (x.isStartElement() && x.name() == QLatin1String("t") && inSi) current += x.readElementText();
            else if (x.isEndElement() && x.name() == QLatin1String("si")) inSi = false, strings_ << current;
        }
    }

    void ReadStyles() {
        QXmlStreamReader x(Entry(QStringLiteral("xl/styles.xml")));
        QMap<int, QString> formats{{14, QStringLiteral("m/d/yyyy")}};
        QList<int> fontBold;
        bool inCellXfs = false, inFonts = false, fontIsBold = false;
        while (!x.atEnd()) {
            x.readNext();
            const auto n = x.name();
            if (x.isStartElement()) {
                if (n == QLatin1String("numFmt"))
                    formats[x.attributes().value(QLatin1String("numFmtId")).toInt()] = x.attributes().value(QLatin1String("formatCode")).toString();
                else if (n == QLatin1String("fonts")) inFonts = true;
                else if (n == QLatin1String("font") && inFonts) fontIsBold = false;
                else if (n == QLatin1String("b") && inFonts) fontIsBold = true;
                else if (n == QLatin1String("cellXfs")) inCellXfs = true;
                else if (n == QLatin1String("xf") && inCellXfs) {
                    const int id = x.attributes().value(QLatin1String("numFmtId")).toInt();
                    const int font = x.attributes().value(QLatin1String("fontId")).toInt();
                    xfFormats_ << (id == 0 ? QString() : formats.value(id));
                    xfBold_ << (font >= 0 && font < fontBold.size() && fontBold[font]);
                }
            } else if (x.isEndElement()) {
                if (n == QLatin1String("font") && inFonts) fontBold << fontIsBold;
                else if (n == QLatin1String("fonts")) inFonts = false;
                else if (n == QLatin1String("cellXfs")) inCellXfs = false;
            }
        }
    }

    void ReadSheet(const QString& name) {
        QXmlStreamReader x(Entry(name));
        QString ref;
        XlsxCell cell;
        while (!x.atEnd()) {
            x.readNext();
            const auto n = x.name();
            if (x.isStartElement() && n == QLatin1String("c")) {
                ref = x.attributes().value(QLatin1String("r")).toString();
                cell = XlsxCell{};
                cell.type = x.attributes().value(QLatin1String("t")).toString();
                if (cell.type.isEmpty()) cell.type = QStringLiteral("n");
                const int style = x.attributes().value(QLatin1String("s")).toInt();
                if (style >= 0 && style < xfFormats_.size()) cell.format = xfFormats_[style], cell.bold = xfBold_[style];
            } else if (x.isStartElement() && (n == QLatin1String("v") || n == QLatin1String("t"))) {
                cell.text += x.readElementText();
            } else if (x.isEndElement() && n == QLatin1String("c")) {
                if (cell.type == QLatin1String("s")) cell.text = strings_.value(cell.text.toInt());
                cells_[ref] = cell;
                int digits = 0;
                while (digits < ref.size() && !ref[digits].isDigit()) ++digits;
                lastRow_ = std::max(lastRow_, ref.mid(digits).toInt());
            } else if (x.isStartElement() && n == QLatin1String("col")) {
                const int first = x.attributes().value(QLatin1String("min")).toInt();
                const int last = x.attributes().value(QLatin1String("max")).toInt();
                for (int c = first; c <= last; ++c) widths_[c] = x.attributes().value(QLatin1String("width")).toDouble();
            }
        }
        QXmlStreamReader book(Entry(QStringLiteral("xl/workbook.xml")));
        while (!book.atEnd() && sheetName_.isEmpty()) {
            book.readNext();
            if (book.isStartElement() && book.name() == QLatin1String("sheet"))
                sheetName_ = book.attributes().value(QLatin1String("name")).toString();
        }
    }

    QByteArray zip_;
    bool ok_ = false;
    QMap<QString, Item> entries_;
    QStringList strings_;
    QStringList xfFormats_;
    QList<bool> xfBold_;
    QMap<QString, XlsxCell> cells_;
    QMap<int, double> widths_;
    QString sheetName_;
    int lastRow_ = 0;
};

}  // namespace host_test
