#include "views/FrmPriceHistoryView.h"

#include <QHBoxLayout>
#include <QSplitter>
#include <QVBoxLayout>

#include "views/PriceChartBinding.h"

namespace views {

FrmPriceHistoryView::FrmPriceHistoryView(bill::FrmPriceHistory& window, QWidget* parent) : ToolView(window, parent) {
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);

    auto* top = new QVBoxLayout;
    for (ui::Label* l : {&window.LabItem, &window.LabTarget, &window.LabCurrent}) top->addWidget(Caption(*l));

    auto* lists = new QWidget(this);
    auto* left = new QVBoxLayout(lists);
    left->setContentsMargins(0, 0, 0, 0);
    QLabel* label1 = Caption(window.Label1, lists);
    ui::qt::GridView* audited = Grid(window.VfgAudited, label1->text());
    label1->setBuddy(audited);
    QLabel* label2 = Caption(window.Label2, lists);
    ui::qt::GridView* pending = Grid(window.VfgPending, label2->text());
    label2->setBuddy(pending);
    QLabel* nothing = Caption(window.LabNothing, lists);
    nothing->setStyleSheet(QStringLiteral("color: #a00"));
    left->addWidget(label1);
    left->addWidget(audited, 3);
    left->addWidget(nothing);
    left->addWidget(label2);
    left->addWidget(pending, 2);

    chart_ = new QChartView(this);
    chart_->setObjectName(QString::fromStdString(window.ChtPrice.Name()));
    chart_->setAccessibleName(QString::fromStdString(window.ChtPrice.Title()));
    chart_->setMinimumWidth(320);
    Adopt(std::make_unique<PriceChartBinding>(window.ChtPrice, chart_));

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->addWidget(lists);
    splitter->addWidget(chart_);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Button(window.CmdClose));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(splitter, 1);
    layout->addLayout(buttons);
    SizeFromDesign();
}

}  // namespace views
