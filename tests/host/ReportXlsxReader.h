// Reads back the workbooks the report grid writes: the entries through the import's zip reader,
// then the shared strings, the first sheet's cells and each cell's number format.
#pragma once
#include <QMap>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QXmlStreamReader>
#include <algorithm>
#include <fstream>
#include <iterator>
#include <optional>

#include "bill/ZipArchive.h"

namespace host_test {

struct XlsxCell {
    QString type;    // "s" shared string, "n" number, "inlineStr", "str"
    QString text;    // the string, or the number as written
    QString format;  // the cell's number format code ("" for General)
};

class XlsxReader {
public:
    explicit XlsxReader(const QString& path) {
        std::ifstream in(path.toStdString(), std::ios::binary);
        try {
            zip_.emplace(std::string(std::istreambuf_iterator<char>(in), {}));
        } catch (const std::exception&) {
            return;
        }
        QStringList strings, xfFormats;
        Scan("xl/sharedStrings.xml", [&](QXmlStreamReader& x, QStringView n) {
            if (n == u"si") strings << QString();
            else if (n == u"t") strings.last() += x.readElementText();
        });
        QMap<int, QString> formats{{14, QStringLiteral("m/d/yyyy")}};
        Scan("xl/styles.xml", [&](QXmlStreamReader& x, QStringView n) {
            if (n == u"numFmt") formats[Attribute(x, "numFmtId").toInt()] = Attribute(x, "formatCode");
            else if (n == u"cellXfs") xfFormats.clear();  // those of cellStyleXfs before it
            else if (n == u"xf") xfFormats << formats.value(Attribute(x, "numFmtId").toInt());
        });
        QString ref;
        Scan("xl/worksheets/sheet1.xml", [&](QXmlStreamReader& x, QStringView n) {
            if (n == u"c") {
                ref = Attribute(x, "r");
                cells_[ref] = XlsxCell{Attribute(x, "t"), {}, xfFormats.value(Attribute(x, "s").toInt())};
                if (cells_[ref].type.isEmpty()) cells_[ref].type = QStringLiteral("n");
                lastRow_ = std::max(lastRow_, ref.mid(ref.indexOf(QRegularExpression(QStringLiteral("\\d")))).toInt());
            } else if (n == u"v" || n == u"t") {
                XlsxCell& cell = cells_[ref];
                cell.text += x.readElementText();
                if (cell.type == QLatin1String("s")) cell.text = strings.value(cell.text.toInt());
            }
        });
        Scan("xl/workbook.xml", [&](QXmlStreamReader& x, QStringView n) {
            if (n == u"sheet" && sheetName_.isEmpty()) sheetName_ = Attribute(x, "name");
        });
    }
    bool Ok() const { return zip_.has_value(); }
    QByteArray Entry(const char* name) {
        return zip_ && zip_->Has(name) ? QByteArray::fromStdString(zip_->Read(name)) : QByteArray();
    }
    XlsxCell Cell(const QString& ref) const { return cells_.value(ref); }
    QString Text(const QString& ref) const { return cells_.value(ref).text; }
    int LastRow() const { return lastRow_; }
    const QString& SheetName() const { return sheetName_; }

private:
    static QString Attribute(const QXmlStreamReader& x, const char* name) { return x.attributes().value(QLatin1String(name)).toString(); }
    // Calls f on every element's start in an entry.
    template <typename F>
    void Scan(const char* entry, F f) {
        for (QXmlStreamReader x(Entry(entry)); !x.atEnd();)
            if (x.readNext() == QXmlStreamReader::StartElement) f(x, x.name());
    }

    std::optional<bill::ZipArchive> zip_;
    QMap<QString, XlsxCell> cells_;
    QString sheetName_;
    int lastRow_ = 0;
};

}  // namespace host_test
