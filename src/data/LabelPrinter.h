// The host's shelf-label printer: lays out the labels of one or more bills on label sheets and
// previews them or writes them into a PDF. The rows are plain values read by the window logic;
// the printer never reads the database.
#pragma once
#include <string>
#include <vector>

#include "data/Component.h"

namespace data {

struct ShelfLabel {
    std::string itemCode;                    // printed as a Code 128 barcode
    std::string name, size, origin, unit;    // yw_kck pm, gg, cd, pdw
    double oldPrice = 0, newPrice = 0;
    bool strikeOld = false;  // the old price was higher: printed struck through
    std::string execDate;    // YYYY-MM-DD, empty when the bill has none
};

// The labels of one bill for one target: a branch, a branch type, or one branch of the type.
struct LabelSet {
    std::string serial;
    std::string targetCode, targetName;
    std::vector<ShelfLabel> labels;
};

enum class LabelSheet {
    A4Grid,  // A4 portrait, 3 columns by 8 rows of 70 x 37 mm; each set starts on a new sheet
    Roll,    // one 60 x 40 mm label per page
};

struct LabelJob {
    LabelSheet sheet = LabelSheet::A4Grid;
    int decimals = 2;  // of the prices
    std::vector<LabelSet> sets;
};

class LabelPrinter : public Component {
public:
    // Shows the labels in a print preview, from which the operator prints or saves a PDF.
    virtual void Preview(const LabelJob& job) = 0;
    // Writes the labels into a PDF file; returns its path, empty when the operator chose none.
    // Failures raise db::Error and leave no file.
    virtual std::string SavePdf(const LabelJob& job) = 0;
};

namespace ComponentName {
inline constexpr const char* LabelPrinter = "LabelPrinter";
}  // namespace ComponentName

}  // namespace data
