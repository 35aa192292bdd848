#include "views/FrmCopyBillView.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace views {

FrmCopyBillView::FrmCopyBillView(bill::FrmCopyBill& window, QWidget* parent) : ToolView(window, parent) {
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
    auto* find = new QHBoxLayout;
    QLabel* label1 = Caption(window.Label1);
    find->addWidget(label1);
    find->addWidget(Edit(window.TxtFind, label1), 1);

    targets_ = Grid(window.VfgTargets, QString::fromUtf8(bill::kCopyCaption));

    auto* marks = new QHBoxLayout;
    marks->addWidget(Caption(window.LabSummary), 1);
    marks->addWidget(Button(window.CmdAll));
    marks->addWidget(Button(window.CmdNone));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Button(window.CmdOK));
    buttons->addWidget(Button(window.CmdCancel));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(find);
    layout->addWidget(targets_, 1);
    layout->addLayout(marks);
    layout->addLayout(buttons);
    SizeFromDesign();
}

}  // namespace views
