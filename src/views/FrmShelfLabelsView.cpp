#include "views/FrmShelfLabelsView.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "ui/qt/CheckBoxBinding.h"

namespace views {

FrmShelfLabelsView::FrmShelfLabelsView(bill::FrmShelfLabels& window, QWidget* parent) : ToolView(window, parent) {
    auto* choices = new QGridLayout;
    // The two layouts in a parent of their own, so that arrow keys stay inside the group.
    auto* sheets = new QWidget(this);
    sheets->setAccessibleName(QString::fromStdString(window.Label1.Caption()));
    auto* line = new QHBoxLayout(sheets);
    line->setContentsMargins(0, 0, 0, 0);
    line->addWidget(Option(window.OptA4, sheets));
    line->addWidget(Option(window.OptRoll, sheets));
    line->addStretch(1);
    QLabel* label = Caption(window.Label1);
    label->setBuddy(sheets);
    choices->addWidget(label, 0, 0);
    choices->addWidget(sheets, 0, 1);

    auto* each = new QCheckBox(this);
    each->setObjectName(QString::fromStdString(window.ChkEachBranch.Name()));
    Adopt(std::make_unique<ui::qt::CheckBoxBinding>(window.ChkEachBranch, each));
    each->setAccessibleName(QString::fromStdString(window.ChkEachBranch.Caption()));
    choices->addWidget(each, 1, 1);
    choices->setColumnStretch(1, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Caption(window.LabSummary), 1);
    for (ui::Button* b : {&window.CmdPreview, &window.CmdPdf, &window.CmdClose}) buttons->addWidget(Button(*b));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(choices);
    layout->addStretch(1);
    layout->addLayout(buttons);
    SizeFromDesign();
}

}  // namespace views
