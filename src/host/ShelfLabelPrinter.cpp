#include "host/ShelfLabelPrinter.h"

#include <QApplication>
#include <QDateTime>
#include <QPrinter>
#include <filesystem>

#include "data/ComponentFactory.h"
#include "db/Error.h"
#include "db/TextUtil.h"
#include "host/PdfFile.h"
#include "host/PrintPreview.h"
#include "host/QtText.h"
#include "host/ShelfLabelDocument.h"

namespace host {
namespace {

std::string& SharedLastFile() {
    static std::string last;
    return last;
}

// "价签-TJ-7-20261206-093000", or "价签-TJ-7_等3张-..." for several bills; the serial made safe for
// a file name.
std::string Stem(const data::LabelJob& job) {
    std::string first;
    int bills = 0;
    std::string previous;
    for (const auto& set : job.sets) {
        if (bills > 0 && set.serial == previous) continue;
        if (bills++ == 0) first = db::text::Abbreviate(set.serial, 40);
        previous = set.serial;
    }
    for (char& c : first)
        if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20) c = '-';
    if (bills > 1) first += "_等" + std::to_string(bills) + "张";
    return "价签-" + first + "-" +
           ToStdString(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")));
}

void Check(const data::LabelJob& job) {
    if (job.sets.empty()) throw db::Error(db::ErrorCode::Generic, "没有要打印的价签");
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        throw db::Error(db::ErrorCode::Generic, "打印需要图形界面");
}

}  // namespace

ShelfLabelPrinter::ShelfLabelPrinter(PrintOutput mode, std::string outputFolder)
    : mode_(mode), outputFolder_(std::move(outputFolder)) {}

std::string ShelfLabelPrinter::LastOutputFile() { return SharedLastFile(); }

// The file the save dialogs propose, in the output folder (made when missing, so that the dialog
// opens in it).
QString ShelfLabelPrinter::Proposed(const data::LabelJob& job) const {
    namespace fs = std::filesystem;
    const fs::path folder = fs::path(outputFolder_.empty() ? "." : outputFolder_);
    std::error_code ec;
    fs::create_directories(folder, ec);
    return ToQString(fs::absolute(folder / (Stem(job) + ".pdf"), ec).string());
}

bool ShelfLabelPrinter::Interactive() const {
    return mode_ == PrintOutput::Preview || (mode_ == PrintOutput::Auto && DisplayAvailable());
}

std::string ShelfLabelPrinter::WriteIntoFolder(const data::LabelJob& job) {
    const ShelfLabelDocument document(job);
    SharedLastFile() = WriteNewPdf(outputFolder_, Stem(job), document.Pdf(), "价签没有打印");
    return SharedLastFile();
}

void ShelfLabelPrinter::Preview(const data::LabelJob& job) {
    Check(job);
    SharedLastFile().clear();
    if (!Interactive()) {
        WriteIntoFolder(job);
        return;
    }
    const ShelfLabelDocument document(job);
    QPrinter printer(QPrinter::HighResolution);
    document.SetUpPage(printer);
    const QString proposed = Proposed(job);
    printer.setOutputFileName(proposed);
    PreviewContent content;
    content.title = QStringLiteral("打印预览 - 价签");
    content.placementKey = QStringLiteral("LabelPreview");
    content.size = QSize(900, 1000);
    content.pdfToolTip = QStringLiteral("将价签保存为PDF文件");
    content.pdfPath = proposed;
    content.paint = [&document](QPrinter& p) { document.Paint(p); };
    content.pdf = [&document] { return document.Pdf(); };
    const QString saved = ShowPrintPreview(printer, content, QApplication::activeWindow());
    if (!saved.isEmpty()) SharedLastFile() = ToStdString(saved);
}

std::string ShelfLabelPrinter::SavePdf(const data::LabelJob& job) {
    Check(job);
    SharedLastFile().clear();
    if (!Interactive()) return WriteIntoFolder(job);
    const QString proposed = Proposed(job);
    const QString path = AskSaveFile(QApplication::activeWindow(), QStringLiteral("保存为PDF"), proposed,
                                     QStringLiteral("PDF 文件 (*.pdf)"), QStringLiteral("pdf"));
    if (path.isEmpty()) return {};
    WriteFileWhole(ToStdString(path), ShelfLabelDocument(job).Pdf(), "价签没有保存");
    SharedLastFile() = ToStdString(path);
    return SharedLastFile();
}

void RegisterShelfLabelPrinter(PrintOutput mode, std::string outputFolder) {
    data::ComponentFactory::Register(data::ComponentName::LabelPrinter, [mode, outputFolder] {
        return std::make_unique<ShelfLabelPrinter>(mode, outputFolder);
    });
}

}  // namespace host
