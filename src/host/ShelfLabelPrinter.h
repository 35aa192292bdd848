// The host's shelf-label printer (data::LabelPrinter): the labels of ShelfLabelDocument in a
// print preview with "保存为PDF", or written as a PDF. With a display the PDF goes where the
// operator chooses in a save dialog; without one (offscreen, SPB_PRINT_TO_PDF) the preview and the
// PDF both become a new file "价签-<serial>-<yyyyMMdd-HHmmss>.pdf" in the output folder.
#pragma once
#include <QString>
#include <string>

#include "data/LabelPrinter.h"
#include "host/PdfPrintEngine.h"

namespace host {

class ShelfLabelPrinter : public data::LabelPrinter {
public:
    ShelfLabelPrinter(PrintOutput mode, std::string outputFolder);

    void Preview(const data::LabelJob& job) override;
    std::string SavePdf(const data::LabelJob& job) override;

    // The PDF the latest Preview or SavePdf of any label printer wrote; empty when none.
    static std::string LastOutputFile();

private:
    bool Interactive() const;
    QString Proposed(const data::LabelJob& job) const;
    std::string WriteIntoFolder(const data::LabelJob& job);

    PrintOutput mode_;
    std::string outputFolder_;
};

void RegisterShelfLabelPrinter(PrintOutput mode, std::string outputFolder);

}  // namespace host
