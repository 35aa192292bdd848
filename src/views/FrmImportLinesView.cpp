#include "views/FrmImportLinesView.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QStandardPaths>
#include <QIdentityProxyModel>
#include <QTreeView>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "ui/qt/WindowPlacement.h"

namespace views {

FrmImportLinesView::FrmImportLinesView(bill::FrmImportLines& window, QWidget* parent) : ToolView(window, parent), window_(window) {
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
    auto* file = new QHBoxLayout;
    QLabel* label1 = Caption(window.Label1);
    file->addWidget(label1);
    file->addWidget(Edit(window.TxtFile, label1), 1);
    file->addWidget(Button(window.CmdBrowse));
    file->addWidget(Button(window.CmdRead));

    rows_ = Grid(window.VfgRows, QStringLiteral("导入的行"));
    QLabel* summary = Caption(window.LabSummary);
    summary->setWordWrap(true);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (ui::Button* b : {&window.CmdImport, &window.CmdSaveRefused, &window.CmdClose}) buttons->addWidget(Button(*b));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(file);
    layout->addWidget(rows_, 1);
    layout->addWidget(summary);
    layout->addLayout(buttons);
    SizeFromDesign();

    window.AskFileName = [this](bool save, const std::string& suggested) { return AskFileName(save, suggested); };
}

FrmImportLinesView::~FrmImportLinesView() { window_.AskFileName = nullptr; }

namespace {

const QString kFolderKey = QStringLiteral("ImportFiles");

QLocale ImportDialogLocale() { return QLocale(QLocale::Chinese, QLocale::China); }

// The folder a file dialog opens in: the one of the file named in the field, else the last one
// used, else the operator's documents folder (never the program's working directory).
QString StartFolder(const QString& named) {
    if (!named.isEmpty()) {
        const QFileInfo info(named);
        const QString folder = info.isDir() ? info.absoluteFilePath() : info.absolutePath();
        if (info.isAbsolute() && QFileInfo(folder).isDir()) return folder;
    }
    const QString last = ui::qt::WindowPlacement::Folder(kFolderKey);
    if (!last.isEmpty() && QFileInfo(last).isDir()) return last;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir()) return documents;
    return QDir::homePath();
}

// Dates and kinds in the dialog's list in Chinese, whatever the process's locale: the file system
// model formats dates in the system locale, and Qt's translations leave its kinds ("Folder",
// "csv File") in English.
class ChineseColumns : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (!files || role != Qt::DisplayRole) return QIdentityProxyModel::data(index, role);
        if (index.column() == kDateColumn)
            return ImportDialogLocale().toString(files->lastModified(mapToSource(index)), QStringLiteral("yyyy-MM-dd HH:mm"));
        if (index.column() == kKindColumn) {
            const QFileInfo info = files->fileInfo(mapToSource(index));
            if (info.isDir()) return QStringLiteral("文件夹");
            const QString suffix = info.suffix().toUpper();
            return suffix.isEmpty() ? QStringLiteral("文件") : suffix + QStringLiteral(" 文件");
        }
        return QIdentityProxyModel::data(index, role);
    }

private:
    static constexpr int kKindColumn = 2;
    static constexpr int kDateColumn = 3;
};

}  // namespace

std::string FrmImportLinesView::AskFileName(bool save, const std::string& suggested) {
    const QString named = QString::fromStdString(suggested);
    QFileDialog dialog(this, save ? QStringLiteral("保存拒绝行") : QStringLiteral("选择要导入的文件"), StartFolder(named),
                       save ? QStringLiteral("CSV文件 (*.csv)") : QStringLiteral("价格表 (*.csv *.xlsx);;所有文件 (*)"));
    dialog.setObjectName(QStringLiteral("ImportFileDialog"));
    // Qt's own dialog: a platform dialog would ignore the locale and the columns set here.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setLocale(ImportDialogLocale());
    dialog.setViewMode(QFileDialog::Detail);
    dialog.setProxyModel(new ChineseColumns(&dialog));
    if (save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(QStringLiteral("csv"));
        if (!named.isEmpty()) dialog.selectFile(QFileInfo(named).fileName());
    } else {
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    // Every column as wide as its contents; the names take the room left.
    if (auto* list = dialog.findChild<QTreeView*>(QStringLiteral("treeView"))) {
        QHeaderView* header = list->header();
        header->setStretchLastSection(false);
        header->setSectionResizeMode(QHeaderView::ResizeToContents);
        header->setSectionResizeMode(0, QHeaderView::Stretch);
        header->setMinimumSectionSize(80);
    }
    dialog.resize(900, 560);
    ui::qt::WindowPlacement::Keep(dialog, QStringLiteral("ImportFileDialog"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    const QString path = dialog.selectedFiles().first();
    ui::qt::WindowPlacement::SaveFolder(kFolderKey, QFileInfo(path).absolutePath());
    std::string chosen = path.toStdString();
    if (save && !path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive)) chosen += ".csv";
    return chosen;
}

}  // namespace views
