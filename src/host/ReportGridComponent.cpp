#include "host/ReportGridComponent.h"

#include <QAction>
#include <QApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QToolBar>
#include <algorithm>

#include "data/ComponentFactory.h"
#include "db/DateTime.h"
#include "db/Error.h"
#include "host/BillDocument.h"
#include "host/KeptConnection.h"
#include "host/PdfTextRepair.h"
#include "host/QtText.h"
#include "host/ReportColumnsDialog.h"
#include "host/ReportFilterDialog.h"
#include "host/ReportGridWidget.h"
#include "host/ReportPropertiesDialog.h"
#include "host/ReportTableModel.h"
#include "host/ReportWorkbook.h"

namespace host {
namespace {

constexpr int kTwipsPerPixel = 15;

// A file name without the characters file systems refuse.
QString FileNamePart(QString text) {
    for (QChar& c : text)
        if (QStringLiteral("/\\:*?\"<>|").contains(c) || c.unicode() < 0x20) c = QLatin1Char('-');
    return text.trimmed();
}

// Asks where to save; empty when the operator cancels.
QString AskSaveFile(QWidget* parent, const QString& caption, const QString& path, const QString& filter, const QString& suffix) {
    QFileDialog dialog(parent, caption, path, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(suffix);
    dialog.selectFile(path);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

}  // namespace

ReportGridComponent::ReportGridComponent(ReportSettingsStore store)
    : store_(std::move(store)), model_(std::make_unique<ReportTableModel>()) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        throw db::Error(db::ErrorCode::Generic, "报表需要图形界面");
    widget_ = new ReportGridWidget(*model_);
    QObject::connect(widget_, &ReportGridWidget::clearFilterRequested, widget_, [this] { ClearFilter(); });
    QObject::connect(widget_, &ReportGridWidget::columnWidthsChanged, widget_, [this] { Save(); });
}

ReportGridComponent::~ReportGridComponent() {
    // Widths dragged just before closing are kept as well.
    if (widget_ && widget_->WidthsPending()) Save();
    delete widget_.data();
}

void* ReportGridComponent::NativeWidget() { return static_cast<QWidget*>(widget_.data()); }

void ReportGridComponent::SetWidth(int twips) {
    if (widget_) widget_->resize(std::max(0, twips / kTwipsPerPixel), widget_->height());
}

void ReportGridComponent::SetHeight(int twips) {
    if (widget_) widget_->resize(widget_->width(), std::max(0, twips / kTwipsPerPixel));
}

int ReportGridComponent::PriceDecimals() const { return PriceDecimalsOn(connectStr_); }

void ReportGridComponent::RefreshReport() {
    if (!widget_) throw db::Error(db::ErrorCode::ClosedObject, "报表控件已关闭");
    // On the connection the host's components keep open: opening one reads the whole schema.
    std::shared_ptr<const db::RowSet> rows = QueryOnKeptConnection(connectStr_, dataSource_);
    if (priceDecimals_ < 0) priceDecimals_ = PriceDecimals();

    if (!arranged_ || arrangedFor_ != reportCode_) {
        const ReportSettings saved = store_.Load(reportCode_, static_cast<int>(rows->fields.size()));
        model_->Arrange(saved.columns, saved.filter);
        page_ = saved.page;
        arrangedFor_ = reportCode_;
        arranged_ = true;
    }
    model_->SetResult(std::move(rows), priceDecimals_);
    widget_->SetShowOrder(showOrder_);
    widget_->Table()->setAccessibleName(ToQString(reportName_.empty() ? std::string("报表") : reportName_));
}

void ReportGridComponent::ExecAction(int action) {
    switch (action) {
        case data::ReportAction::Preview: Preview(); break;
        case data::ReportAction::Export: Export(); break;
        case data::ReportAction::Properties: EditProperties(); break;
        case data::ReportAction::Filter: EditFilter(); break;
        case data::ReportAction::Columns: EditColumns(); break;
        default: break;
    }
}

ReportSettings ReportGridComponent::Settings() const {
    ReportSettings s;
    s.columns = model_->Columns();
    s.filter = model_->Filter();
    s.page = page_;
    return s;
}

void ReportGridComponent::Save() const {
    if (!reportCode_.empty()) store_.Save(reportCode_, Settings());
}

ReportDocument ReportGridComponent::Document() const {
    return ReportDocument(*model_, page_, {reportName_, startDate_, endDate_, userDefStr0_, userDefStr1_});
}

void ReportGridComponent::Preview() {
    const ReportDocument document = Document();
    QPrinter printer(QPrinter::HighResolution);
    document.SetUpPrinter(printer);
    QPrintPreviewDialog preview(&printer, widget_);
    preview.setWindowTitle(QStringLiteral("打印预览 - ") + document.Title());
    preview.resize(1000, 760);
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview, [&document](QPrinter* p) {
        try {
            document.Paint(*p);
        } catch (const std::exception&) {
            // An empty page; no exception may cross Qt's event loop.
        }
    });
    // Saving as PDF straight from the preview, whatever printers the machine has.
    if (auto* bar = preview.findChild<QToolBar*>()) {
        auto* save = new QAction(QStringLiteral("保存为PDF"), &preview);
        save->setToolTip(QStringLiteral("将报表保存为PDF文件"));
        save->setObjectName(QStringLiteral("SavePdf"));
        bar->addSeparator();
        bar->addAction(save);
        QObject::connect(save, &QAction::triggered, &preview, [this, &preview, &document] {
            QString path = DefaultExportPath();
            path.replace(QRegularExpression(QStringLiteral("\\.xlsx$")), QStringLiteral(".pdf"));
            path = AskSaveFile(&preview, QStringLiteral("保存为PDF"), path, QStringLiteral("PDF 文件 (*.pdf)"), QStringLiteral("pdf"));
            if (path.isEmpty()) return;
            try {
                document.WritePdf(path);
            } catch (const std::exception& e) {
                QMessageBox::warning(&preview, QStringLiteral("系统提示"), ToQString(db::DescriptionOf(e)));
            }
        });
    }
    preview.exec();
    // The operator may have printed into a PDF file from the print dialog.
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty() &&
        QFile::exists(printer.outputFileName()))
        PdfTextRepair(BillDocument::ChineseFont(10)).Repair(printer.outputFileName());
}

QString ReportGridComponent::DefaultExportPath() const {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QDir(folder).exists()) folder = QDir::homePath();
    const auto end = db::DateTime::Parse(endDate_);
    const QDate day = end && end->IsValid() ? QDate(end->year, end->month, end->day) : QDate::currentDate();
    QString name = FileNamePart(ToQString(reportName_));
    if (name.isEmpty()) name = QStringLiteral("报表");
    return QDir(folder).filePath(name + QLatin1Char('-') + day.toString(QStringLiteral("yyyyMMdd")) + QStringLiteral(".xlsx"));
}

void ReportGridComponent::Export() {
    const QString path = AskSaveFile(widget_, QStringLiteral("数据导出至Excel"), DefaultExportPath(),
                                     QStringLiteral("Excel 工作簿 (*.xlsx)"), QStringLiteral("xlsx"));
    if (path.isEmpty()) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    int shortened = 0;
    try {
        shortened = WriteReportWorkbook(path, *model_, reportName_);
    } catch (...) {
        QApplication::restoreOverrideCursor();
        throw;
    }
    QApplication::restoreOverrideCursor();
    lastExport_ = path;
    QString note = QStringLiteral("已导出到 %1").arg(QDir::toNativeSeparators(path));
    if (shortened > 0) note += QStringLiteral("；有%1个单元格超过32767个字符，已截短").arg(shortened);
    if (widget_) widget_->ShowNote(note);
}

void ReportGridComponent::EditProperties() {
    ReportPropertiesDialog dialog(page_, ToQString(reportName_), widget_);
    if (dialog.exec() != QDialog::Accepted) return;
    page_ = dialog.Setup();
    Save();
}

void ReportGridComponent::EditFilter() {
    ReportFilterDialog dialog(*model_, widget_);
    if (dialog.exec() != QDialog::Accepted) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    model_->SetFilter(dialog.Rules());
    QApplication::restoreOverrideCursor();
    Save();
}

void ReportGridComponent::ClearFilter() {
    model_->SetFilter({});
    Save();
}

void ReportGridComponent::EditColumns() {
    ReportColumnsDialog dialog(*model_, widget_);
    if (dialog.exec() != QDialog::Accepted) return;
    model_->SetColumns(dialog.Columns());
    Save();
}

void RegisterReportGrid(QString settingsFile) {
    data::ComponentFactory::Register(data::ComponentName::ReportGrid, [settingsFile] {
        return std::make_unique<ReportGridComponent>(ReportSettingsStore(settingsFile));
    });
}

}  // namespace host
