// Shelf labels on label sheets, painted with QPainter: A4 with 3 x 8 labels of 70 x 37 mm (each
// set of labels starts on a new sheet), or a roll of 60 x 40 mm labels, one per page. A label
// holds the item's name, its size (规格), origin and unit, the new price large, the old price
// (struck through when it was higher), the item code as a Code 128 barcode (libzint) and the
// execution date with the target's name.
#pragma once
#include <QByteArray>
#include <QPageLayout>
#include <QRectF>
#include <string>

#include "data/LabelPrinter.h"

class QPainter;
class QPdfWriter;
class QPrinter;

namespace host {

class ShelfLabelDocument {
public:
    explicit ShelfLabelDocument(data::LabelJob job);

    // The sheet's page, without margins: the labels reach the paper's edges.
    QPageLayout PageLayout() const;
    void SetUpPage(QPrinter& printer) const;
    int PageCount() const;
    // Throws db::Error when the device cannot be painted on.
    void Paint(QPrinter& printer) const;
    void Paint(QPdfWriter& writer) const;
    // The labels as a PDF file's bytes.
    QByteArray Pdf() const;

    const data::LabelJob& Job() const { return job_; }

private:
    template <class Device>
    void PaintOn(Device& device) const;

    data::LabelJob job_;
};

// Paints the Code 128 symbol of `code`, quiet zones included, stretched over `box`. False, with
// nothing painted, when libzint cannot encode the code (a character outside Latin-1, too long).
bool DrawCode128(QPainter& painter, const QRectF& box, const std::string& code);

}  // namespace host
