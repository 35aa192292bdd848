#include "host/PdfPrintEngine.h"

#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QPrinter>
#include <cstdlib>
#include <filesystem>

#include "data/ComponentFactory.h"
#include "db/Connection.h"
#include "db/Error.h"
#include "db/TextUtil.h"
#include "host/BillDocument.h"
#include "host/BillReader.h"
#include "host/PdfFile.h"
#include "host/PrintPreview.h"
#include "host/QtText.h"
#include "ui/Toolkit.h"

namespace host {
namespace {

std::string& SharedLastFile() {
    static std::string last;
    return last;
}

// A serial as part of a file name: path separators and control characters become '-', and a long
// one is cut.
std::string FileNamePart(const std::string& serial) {
    std::string out = db::text::Abbreviate(serial, 40);
    for (char& c : out)
        if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20) c = '-';
    return out;
}

// The serials in a file name: as many as fit in a short name, then how many bills there are in
// all ("TJ-1_TJ-2_等50张"). A name that joined every serial grew past what a file system allows.
std::string NameSerials(const std::vector<PrintedBill>& bills) {
    constexpr size_t kRoom = 80;
    std::string name;
    size_t named = 0;
    for (const auto& bill : bills) {
        const std::string part = FileNamePart(bill.serial);
        if (named > 0 && name.size() + 1 + part.size() > kRoom) break;
        name += (named++ == 0 ? "" : "_") + part;
    }
    if (named < bills.size()) name += "_等" + std::to_string(bills.size()) + "张";
    return name;
}

std::string Stem(const std::string& nameSerials) {
    return "调价单-" + nameSerials + "-" +
           ToStdString(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")));
}

}  // namespace

bool DisplayAvailable() {
    if (std::getenv("SPB_PRINT_TO_PDF")) return false;
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return false;
    const QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

PdfPrintEngine::PdfPrintEngine(PrintOutput mode, std::string outputFolder)
    : mode_(mode), outputFolder_(std::move(outputFolder)) {}

void PdfPrintEngine::SetTable(int index, const std::string& tableName) {
    if (index == 0) headerTable_ = db::text::Trim(tableName);
    else if (index == 1) lineTable_ = db::text::Trim(tableName);
    else throw db::Error(db::ErrorCode::Generic, "打印引擎没有第 " + std::to_string(index) + " 个表");
}

std::string PdfPrintEngine::LastOutputFile() { return SharedLastFile(); }

void PdfPrintEngine::Print(int billType, std::string& serials, bool& /*flag*/) {
    lastFile_.clear();
    SharedLastFile().clear();
    if (billType != data::kBillTypeCode)
        throw db::Error(db::ErrorCode::Generic, "打印引擎不支持单据类型 " + std::to_string(billType));
    if (!connection_ || !connection_->IsOpen())
        throw db::Error(db::ErrorCode::ClosedObject, "对象关闭时，不允许操作。");
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        throw db::Error(db::ErrorCode::Generic, "打印需要图形界面");

    BillReader reader(*connection_, headerTable_, lineTable_);
    std::vector<PrintedBill> bills;
    for (const std::string& serial : SplitSerials(serials)) {
        auto bill = reader.Read(serial);
        if (!bill) continue;
        bills.push_back(std::move(*bill));
    }
    if (bills.empty()) return;
    const std::string nameSerials = NameSerials(bills);

    const BillDocument document(std::move(bills));
    const bool preview = mode_ == PrintOutput::Preview || (mode_ == PrintOutput::Auto && DisplayAvailable());
    if (preview) {
        ShowPreview(document, nameSerials);  // notes the PDF the operator saved from it
        return;
    }
    try {
        lastFile_ = WritePdf(document, nameSerials);
    } catch (const db::Error& e) {
        // The editor's print passes every failure over in silence: the operator hears from the
        // engine itself that the bill was not printed. Without a toolkit the caller is told.
        if (!ui::HasToolkit()) throw;
        ui::MsgBox(e.Description(), ui::Buttons::Ok, ui::Icon::Exclamation, "系统提示");
        return;
    }
    SharedLastFile() = lastFile_;
}

std::string PdfPrintEngine::WritePdf(const BillDocument& document, const std::string& nameSerials) {
    // Two programs printing in the same second never write into one file.
    return WriteNewPdf(outputFolder_, Stem(nameSerials), document.Pdf(), "单据没有打印");
}

void PdfPrintEngine::ShowPreview(const BillDocument& document, const std::string& nameSerials) {
    QPrinter printer(QPrinter::HighResolution);
    BillDocument::SetUpPage(printer);
    // Printing from the preview, and saving it as a PDF, propose a file in the output folder.
    namespace fs = std::filesystem;
    const fs::path folder = fs::path(outputFolder_.empty() ? "." : outputFolder_);
    std::error_code ec;
    fs::create_directories(folder, ec);
    const QString proposed = ToQString(fs::absolute(folder / (Stem(nameSerials) + ".pdf"), ec).string());
    printer.setOutputFileName(proposed);
    PreviewContent content;
    content.title = QStringLiteral("打印预览 - 分支机构商品调价单");
    content.placementKey = QStringLiteral("BillPreview");
    content.size = QSize(900, 1000);
    content.pdfToolTip = QStringLiteral("将单据保存为PDF文件");
    content.pdfPath = proposed;
    content.paint = [&document](QPrinter& p) { document.Paint(p); };
    content.pdf = [&document] { return document.Pdf(); };
    const QString saved = ShowPrintPreview(printer, content, QApplication::activeWindow());
    if (!saved.isEmpty()) {
        lastFile_ = ToStdString(saved);
        SharedLastFile() = lastFile_;
    }
}

void RegisterPdfPrintEngine(PrintOutput mode, std::string outputFolder) {
    data::ComponentFactory::Register(data::ComponentName::PrintEngine, [mode, outputFolder] {
        return std::make_unique<PdfPrintEngine>(mode, outputFolder);
    });
}

}  // namespace host
