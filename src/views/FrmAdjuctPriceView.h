// The dialog of the bill editor (bill::FrmAdjuctPrice): toolbar; the header fields; the group
// "调价明细" with the line grid and the entry strip; the command buttons; the status bar.
// Display-only fields are read-only and light yellow; every field is named by its label.
#pragma once
#include <QStatusBar>
#include <QToolBar>

#include "bill/FrmAdjuctPrice.h"
#include "views/FormView.h"

namespace ui::qt {
class ToolbarBinding;
}

namespace views {

class FrmAdjuctPriceView : public FormView {
    Q_OBJECT
public:
    FrmAdjuctPriceView(bill::FrmAdjuctPrice& window, QWidget* parent = nullptr);

    QToolBar* ToolBar() const { return toolBar_; }
    const ui::qt::ToolbarBinding& ToolbarBound() const { return *toolbarBinding_; }
    ui::qt::GridView* Grid() const { return grid_; }
    QStatusBar* StatusBar() const { return statusBar_; }

private:
    QToolBar* toolBar_;
    ui::qt::GridView* grid_;
    QStatusBar* statusBar_;
    ui::qt::ToolbarBinding* toolbarBinding_;
};

}  // namespace views
