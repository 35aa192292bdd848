#include "views/FrmImportLinesView.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QVBoxLayout>

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

std::string FrmImportLinesView::AskFileName(bool save, const std::string& suggested) {
    const QString start = QString::fromStdString(suggested);
    const QString path =
        save ? QFileDialog::getSaveFileName(this, QStringLiteral("保存拒绝行"), start, QStringLiteral("CSV文件 (*.csv)"))
             : QFileDialog::getOpenFileName(this, QStringLiteral("选择要导入的文件"), start,
                                            QStringLiteral("价格表 (*.csv *.xlsx);;所有文件 (*)"));
    if (path.isEmpty()) return {};
    std::string chosen = path.toStdString();
    if (save && !path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive)) chosen += ".csv";
    return chosen;
}

}  // namespace views
