#include "views/FrmAddByCategoryView.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace views {

FrmAddByCategoryView::FrmAddByCategoryView(bill::FrmAddByCategory& window, QWidget* parent) : ToolView(window, parent) {
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
    auto* find = new QHBoxLayout;
    QLabel* label1 = Caption(window.Label1);
    find->addWidget(label1);
    find->addWidget(Edit(window.TxtFind, label1), 1);

    categories_ = Grid(window.VfgCategories, QStringLiteral("商品类别"));
    QLabel* summary = Caption(window.LabSummary);
    summary->setWordWrap(true);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (ui::Button* b : {&window.CmdOK, &window.CmdCancel}) buttons->addWidget(Button(*b));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(find);
    layout->addWidget(categories_, 1);
    layout->addWidget(summary);
    layout->addLayout(buttons);
    SizeFromDesign();
}

}  // namespace views
