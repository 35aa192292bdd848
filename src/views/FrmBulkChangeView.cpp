#include "views/FrmBulkChangeView.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace views {

FrmBulkChangeView::FrmBulkChangeView(bill::FrmBulkChange& window, QWidget* parent) : ToolView(window, parent) {
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
    auto* choices = new QGridLayout;
    // Each option group has its own parent, so that arrow keys stay inside it.
    auto group = [&](int row, ui::Label& caption, ui::OptionButton& a, ui::OptionButton& b) {
        auto* box = new QWidget(this);
        box->setAccessibleName(QString::fromStdString(caption.Caption()));
        auto* line = new QHBoxLayout(box);
        line->setContentsMargins(0, 0, 0, 0);
        line->addWidget(Option(a, box));
        line->addWidget(Option(b, box));
        line->addStretch(1);
        QLabel* label = Caption(caption);
        label->setBuddy(box);
        choices->addWidget(label, row, 0);
        choices->addWidget(box, row, 1);
    };
    group(0, window.Label1, window.OptPercent, window.OptAmount);
    QLabel* label2 = Caption(window.Label2);
    choices->addWidget(label2, 1, 0);
    QDoubleSpinBox* value = Number(window.TxtValue, label2);
    value->setMaximumWidth(160);
    choices->addWidget(value, 1, 1, Qt::AlignLeft);
    group(2, window.Label3, window.OptBaseNew, window.OptBaseOld);
    group(3, window.Label4, window.OptAll, window.OptMarked);
    QLabel* label5 = Caption(window.Label5);
    choices->addWidget(label5, 4, 0);
    choices->addWidget(Combo(window.CboEnding, label5), 4, 1, Qt::AlignLeft);
    choices->setColumnStretch(1, 1);

    lines_ = Grid(window.VfgLines, QStringLiteral("调价明细"));
    QLabel* summary = Caption(window.LabSummary);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(summary, 1);
    for (ui::Button* b : {&window.CmdPreview, &window.CmdApply, &window.CmdClose}) buttons->addWidget(Button(*b));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(choices);
    layout->addWidget(lines_, 1);
    layout->addLayout(buttons);
    SizeFromDesign();
}

}  // namespace views
