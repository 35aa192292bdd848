#include "views/FrmBillTotalsView.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace views {

FrmBillTotalsView::FrmBillTotalsView(bill::FrmBillTotals& window, QWidget* parent) : ToolView(window, parent) {
    auto* form = new QFormLayout;
    form->addRow(Caption(window.LabBill));
    const std::pair<ui::Label*, ui::Label*> rows[] = {{&window.Label1, &window.LabLines},     {&window.Label2, &window.LabOldSum},
                                                      {&window.Label3, &window.LabNewSum},    {&window.Label4, &window.LabAverage},
                                                      {&window.Label5, &window.LabSumPercent}, {&window.Label6, &window.LabRise},
                                                      {&window.Label7, &window.LabFall}};
    for (const auto& [heading, value] : rows) {
        QLabel* h = Caption(*heading);
        QLabel* figure = Value(*value, h);
        figure->setAlignment(Qt::AlignRight | Qt::AlignVCenter);  // figures read like a column of numbers
        form->addRow(h, figure);
    }
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Button(window.CmdClose));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addStretch(1);
    layout->addLayout(buttons);
    SizeFromDesign();
}

}  // namespace views
