// Reads back the workbooks the report grid writes: the entries through the import's zip reader,
// then the shared strings, the first sheet's cells and each cell's number format.
#pragma once
#include <QMap>
#include <QString>
#include <QStringList>
#include <QRegularExpression>
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
        for (QXmlStreamReader x(Entry("xl/sharedStrings.xml")); !x.atEnd();) {
            x.readNext();
            if (x.isStartElement() && x.name() == QLatin1String("si")) strings_ << QString();
            else if (x.isStartElement() && x.name() == QLatin1String("t")) strings_.last() += x.readElementText();
        }
        ReadStyles();
        ReadSheet();
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
    QString Attribute(const QXmlStreamReader& x, const char* name) { return x.attributes().value(QLatin1String(name)).toString(); }

    void ReadStyles() {
        QMap<int, QString> formats{{14, QStringLiteral("m/d/yyyy")}};
        bool inCellXfs = false;
        for (QXmlStreamReader x(Entry("xl/styles.xml")); !x.atEnd();) {
            x.readNext();
            if (x.isStartElement() && x.name() == QLatin1String("numFmt"))
                formats[Attribute(x, "numFmtId").toInt()] = Attribute(x, "formatCode");
            else if (x.name() == QLatin1String("cellXfs")) inCellXfs = x.isStartElement();
            else if (x.isStartElement() && x.name() == QLatin1String("xf") && inCellXfs)
                xfFormats_ << formats.value(Attribute(x, "numFmtId").toInt());
        }
    }

    void ReadSheet() {
        QString ref;
        XlsxCell cell;
        for (QXmlStreamReader x(Entry("xl/worksheets/sheet1.xml")); !x.atEnd();) {
            x.readNext();
            const auto n = x.name();
            if (x.isStartElement() && n == QLatin1String("c")) {
                ref = Attribute(x, "r");
                cell = XlsxCell{Attribute(x, "t"), {}, xfFormats_.value(Attribute(x, "s").toInt())};
                if (cell.type.isEmpty()) cell.type = QStringLiteral("n");
            } else if (x.isStartElement() && (n == QLatin1String("v") || n == QLatin1String("t"))) {
                cell.text += x.readElementText();
            } else if (x.isEndElement() && n == QLatin1String("c")) {
                if (cell.type == QLatin1String("s")) cell.text = strings_.value(cell.text.toInt());
                cells_[ref] = cell;
                lastRow_ = std::max(lastRow_, ref.mid(ref.indexOf(QRegularExpression(QStringLiteral("\\d")))).toInt());
            }
        }
        for (QXmlStreamReader x(Entry("xl/workbook.xml")); !x.atEnd() && sheetName_.isEmpty();)
            if (x.readNext() == QXmlStreamReader::StartElement && x.name() == QLatin1String("sheet")) sheetName_ = Attribute(x, "name");
    }

    std::optional<bill::ZipArchive> zip_;
    QStringList strings_, xfFormats_;
    QMap<QString, XlsxCell> cells_;
    QString sheetName_;
    int lastRow_ = 0;
};

}  // namespace host_test
