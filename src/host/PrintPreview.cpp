#include "host/PrintPreview.h"

#include <QAction>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QToolBar>

#include "db/Error.h"
#include "host/BillDocument.h"
#include "host/PdfFile.h"
#include "host/PdfTextRepair.h"
#include "host/QtText.h"
#include "ui/qt/WindowPlacement.h"

namespace host {

QString AskSaveFile(QWidget* parent, const QString& caption, const QString& path, const QString& filter, const QString& suffix) {
    QFileDialog dialog(parent, caption, path, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(suffix);
    dialog.selectFile(path);
    ui::qt::WindowPlacement::Keep(dialog, QStringLiteral("SaveFileDialog"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

QString SavePdfAs(QWidget* parent, const QString& proposed, const std::function<QByteArray()>& pdf) {
    const QString path = AskSaveFile(parent, QStringLiteral("保存为PDF"), proposed, QStringLiteral("PDF 文件 (*.pdf)"), QStringLiteral("pdf"));
    if (path.isEmpty()) return {};
    try {
        WriteFileWhole(ToStdString(path), pdf(), "保存失败");
    } catch (const std::exception& e) {
        QMessageBox::warning(parent, QStringLiteral("系统提示"), ToQString(db::DescriptionOf(e)));
        return {};
    }
    return path;
}

QString ShowPrintPreview(QPrinter& printer, const PreviewContent& content, QWidget* parent) {
    QPrintPreviewDialog preview(&printer, parent);
    preview.setWindowTitle(content.title);
    preview.resize(content.size);
    ui::qt::WindowPlacement::Keep(preview, content.placementKey);
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview, [&content](QPrinter* p) {
        try {
            content.paint(*p);
        } catch (const std::exception&) {
            // An empty page; no exception may cross Qt's event loop.
        }
    });
    QString saved;
    // Saving as PDF straight from the preview, whatever printers the machine has.
    if (auto* bar = preview.findChild<QToolBar*>()) {
        auto* save = new QAction(QStringLiteral("保存为PDF"), &preview);
        save->setToolTip(content.pdfToolTip);
        save->setObjectName(QStringLiteral("SavePdf"));
        bar->addSeparator();
        bar->addAction(save);
        QObject::connect(save, &QAction::triggered, &preview, [&preview, &content, &saved] {
            const QString path = SavePdfAs(&preview, content.pdfPath, content.pdf);
            if (!path.isEmpty()) saved = path;
        });
    }
    preview.exec();
    // The operator may have printed into a PDF file from the print dialog.
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty() &&
        QFile::exists(printer.outputFileName()))
        PdfTextRepair(BillDocument::ChineseFont(10)).Repair(printer.outputFileName());
    return saved;
}

}  // namespace host
