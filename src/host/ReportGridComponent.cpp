#include "host/ReportGridComponent.h"

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QPrinter>
#include <QStandardPaths>
#include <algorithm>

#include "data/ComponentFactory.h"
#include "db/DateTime.h"
#include "db/Error.h"
#include "host/KeptConnection.h"
#include "host/PrintPreview.h"
#include "host/QtText.h"
#include "host/ReportColumnsDialog.h"
#include "host/ReportFilterDialog.h"
#include "host/ReportGridWidget.h"
#include "host/ReportPropertiesDialog.h"
#include "host/ReportTableModel.h"
#include "host/ReportWorkbook.h"
#include "ui/Twips.h"

namespace host {
namespace {

// A title as a file name: the characters file systems refuse, control and format characters
// (the bidirectional overrides among them) become '-', leading dots go (no hidden file, no "..")
// and a long title is cut so that the name stays within what a file system allows.
QString FileNamePart(const QString& text) {
    constexpr qsizetype kRoom = 80;
    QString name;
    for (QChar c : text) {
        const bool refused = QStringLiteral("/\\:*?\"<>|").contains(c) || c.unicode() < 0x20 || c.unicode() == 0x7F ||
                             c.category() == QChar::Other_Format || c.category() == QChar::Other_Control;
        name += refused ? QLatin1Char('-') : c;
    }
    name = name.trimmed();
    while (name.startsWith(QLatin1Char('.'))) name.remove(0, 1);
    if (name.size() > kRoom) name.truncate(name.at(kRoom - 1).isHighSurrogate() ? kRoom - 1 : kRoom);
    return name.trimmed();
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
    if (widget_) widget_->resize(std::max(0, twips / ui::kTwipsPerPixel), widget_->height());
}

void ReportGridComponent::SetHeight(int twips) {
    if (widget_) widget_->resize(widget_->width(), std::max(0, twips / ui::kTwipsPerPixel));
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
    PreviewContent content;
    content.title = QStringLiteral("打印预览 - ") + document.Title();
    content.placementKey = QStringLiteral("ReportPreview");
    content.size = QSize(1000, 760);
    content.pdfToolTip = QStringLiteral("将报表保存为PDF文件");
    content.pdfPath = DefaultPdfPath();
    content.paint = [&document](QPrinter& p) { document.Paint(p); };
    content.pdf = [&document] { return document.Pdf(); };
    ShowPrintPreview(printer, content, widget_);
}

QString ReportGridComponent::DocumentsPath(const std::string& name, const QString& suffix) const {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QDir(folder).exists()) folder = QDir::homePath();
    const auto end = db::DateTime::Parse(endDate_);
    const QDate day = end && end->IsValid() ? QDate(end->year, end->month, end->day) : QDate::currentDate();
    QString part = FileNamePart(ToQString(name));
    if (part.isEmpty()) part = QStringLiteral("报表");
    return QDir(folder).filePath(part + QLatin1Char('-') + day.toString(QStringLiteral("yyyyMMdd")) + suffix);
}

QString ReportGridComponent::DefaultPdfPath() const {
    return DocumentsPath(page_.title.empty() ? reportName_ : page_.title, QStringLiteral(".pdf"));
}

QString ReportGridComponent::DefaultExportPath() const { return DocumentsPath(reportName_, QStringLiteral(".xlsx")); }

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
