// The host's print engine for the price-adjustment bill: reads the listed bills through the
// connection it is given and either opens a print preview (from which the operator prints or
// saves a PDF) or writes a PDF file into an output folder. The setters may come in any order.
#pragma once
#include <string>

#include "data/PrintEngine.h"

namespace host {

class BillDocument;

enum class PrintOutput {
    Preview,  // a print preview window; printing from it writes a PDF, proposed in outputFolder
    PdfFile,  // <outputFolder>/调价单-<serials>-<yyyyMMdd-HHmmss>[-n].pdf, the serials as many as fit
              // in a short name followed by "_等<count>张"
    Auto,     // decided at each print: Preview when DisplayAvailable(), else PdfFile
};

class PdfPrintEngine : public data::PrintEngine {
public:
    PdfPrintEngine(PrintOutput mode, std::string outputFolder);

    void SetCompany(const std::string& company) override { company_ = company; }
    void SetTable(int index, const std::string& tableName) override;
    // Prints the bills of the "|"-joined serials that exist; unknown serials are passed over and
    // nothing is produced when none exists. Throws db::Error for an unknown bill type, a missing
    // connection or table or a failing statement. A PDF that cannot be written whole leaves no
    // file and is reported by the engine itself ("单据没有打印：..."), through the toolkit when one
    // is installed (the editor's print passes failures over in silence), else thrown.
    void Print(int billType, std::string& serials, bool& flag) override;
    void SetConnection(db::Connection& connection) override { connection_ = &connection; }
    void SetFlag(int flag) override { flag_ = flag; }

    int Flag() const { return flag_; }
    // The PDF this engine's latest Print wrote; empty when it wrote none.
    const std::string& LastFile() const { return lastFile_; }
    // The same across engines (the factory makes a new engine for every print).
    static std::string LastOutputFile();

private:
    std::string WritePdf(const BillDocument& document, const std::string& nameSerials);
    void ShowPreview(const BillDocument& document, const std::string& nameSerials);

    PrintOutput mode_;
    std::string outputFolder_;
    std::string company_, headerTable_, lineTable_;
    int flag_ = 0;
    db::Connection* connection_ = nullptr;
    std::string lastFile_;
};

// A display to show windows on: the application's platform is neither "offscreen" nor "minimal"
// and SPB_PRINT_TO_PDF is unset.
bool DisplayAvailable();

// Registers the component with the factory under its name.
void RegisterPdfPrintEngine(PrintOutput mode, std::string outputFolder);

}  // namespace host
