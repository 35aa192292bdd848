#include "views/FrmAdjuctPriceView.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "ui/qt/StatusBarBinding.h"
#include "ui/qt/ToolbarBinding.h"

namespace views {
using namespace ui::qt;

FrmAdjuctPriceView::FrmAdjuctPriceView(bill::FrmAdjuctPrice& window, QWidget* parent) : FormView(window, parent) {
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                   Qt::WindowCloseButtonHint);
    setObjectName(QStringLiteral("FrmAdjuctPrice"));

    toolBar_ = new QToolBar(this);
    toolBar_->setObjectName(QStringLiteral("Toolbar1"));
    toolbarBinding_ = &Adopt(std::make_unique<ToolbarBinding>(window.Toolbar1, toolBar_));

    // Header.
    auto* frame1 = new QGroupBox(this);
    frame1->setObjectName(QStringLiteral("Frame1"));
    auto* header = new QGridLayout(frame1);
    QLabel* label1 = Caption(window.Label1);
    QLabel* label2 = Caption(window.Label2);
    QLabel* label8 = Caption(window.Label8);
    QLabel* label18 = Caption(window.Label18);
    QLabel* label7 = Caption(window.Label7);
    QLabel* label3 = Caption(window.Label3);
    QLabel* label16 = Caption(window.Label16);
    header->addWidget(label1, 0, 0);
    header->addWidget(Edit(window.TxtLSH, label1), 0, 1);
    header->addWidget(label2, 0, 2);
    header->addWidget(Date(window.DtpKdrq, label2), 0, 3);
    header->addWidget(label8, 0, 4);
    header->addWidget(Date(window.DtpExecDate, label8), 0, 5);
    header->addWidget(label18, 1, 0);
    header->addWidget(Edit(window.TxtDwbh, label18), 1, 1);
    header->addWidget(Edit(window.txtDwmc, nullptr, QStringLiteral("分支机构名称")), 1, 2, 1, 2);
    header->addWidget(label7, 1, 4);
    header->addWidget(Edit(window.TxtBZ, label7), 1, 5);
    header->addWidget(label3, 2, 0);
    header->addWidget(Edit(window.TxtCzryName, label3), 2, 1);
    header->addWidget(label16, 2, 2);
    header->addWidget(Edit(window.TxtSh, label16), 2, 3);
    QLabel* posted = Caption(window.LabGZBZ);
    posted->setStyleSheet(QStringLiteral("color: red; font-weight: bold"));
    header->addWidget(posted, 2, 5);
    header->setColumnStretch(1, 1);
    header->setColumnStretch(3, 1);
    header->setColumnStretch(5, 2);

    // Lines: the grid and the entry strip.
    auto* frame3 = new QGroupBox(QStringLiteral("调价明细"), this);
    frame3->setObjectName(QStringLiteral("Frame3"));
    grid_ = FormView::Grid(window.VfgContent, QStringLiteral("调价明细"), frame3);
    auto* strip = new QHBoxLayout;
    QLabel* label10 = Caption(window.Label10);
    QLabel* label13 = Caption(window.Label13);
    QLabel* label14 = Caption(window.Label14);
    strip->addWidget(label10);
    strip->addWidget(Edit(window.TxtHH, label10), 1);
    strip->addWidget(Edit(window.TxtPM, nullptr, QStringLiteral("品名")), 3);
    strip->addWidget(label13);
    strip->addWidget(Number(window.TxtOSj, label13), 1);
    strip->addWidget(label14);
    strip->addWidget(Number(window.TxtNSj, label14), 1);
    auto* lines = new QVBoxLayout(frame3);
    lines->addWidget(grid_, 1);
    lines->addLayout(strip);

    // Command buttons.
    auto* frame2 = new QWidget(this);
    frame2->setObjectName(QStringLiteral("Frame2"));
    auto* buttons = new QHBoxLayout(frame2);
    buttons->setContentsMargins(0, 0, 0, 0);
    for (ui::Button* b : {&window.Cmd_Add, &window.Cmd_Amend, &window.Cmd_Save, &window.Cmd_Delete, &window.Cmd_SaveReckoning,
                          &window.Cmd_Print, &window.Cmd_Sum, &window.Cmd_PassReckoning})
        buttons->addWidget(Button(*b));
    buttons->addStretch(1);

    statusBar_ = new QStatusBar(this);
    statusBar_->setObjectName(QStringLiteral("StatusBar1"));
    Adopt(std::make_unique<StatusBarBinding>(window.StatusBar1, statusBar_));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(toolBar_);
    auto* body = new QVBoxLayout;
    body->setContentsMargins(8, 0, 8, 0);
    body->addWidget(frame1);
    body->addWidget(frame3, 1);
    body->addWidget(frame2);
    layout->addLayout(body, 1);
    layout->addWidget(statusBar_);

    resize(DesignSize(QSize(0, 0)));
}

}  // namespace views
