// The dialog of the bill editor (bill::FrmAdjuctPrice): toolbar; the header fields; the group
// "调价明细" with the line grid and the entry strip; the command buttons; the status bar.
// Display-only fields are read-only and light yellow; every field is named by its label.
#pragma once
#include <QDateEdit>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QToolBar>

#include "bill/FrmAdjuctPrice.h"
#include "ui/qt/GridView.h"
#include "ui/qt/View.h"

namespace ui::qt {
class ToolbarBinding;
}

namespace views {

class FrmAdjuctPriceView : public ui::qt::View {
    Q_OBJECT
public:
    FrmAdjuctPriceView(bill::FrmAdjuctPrice& window, QWidget* parent = nullptr);

    QToolBar* ToolBar() const { return toolBar_; }
    const ui::qt::ToolbarBinding& ToolbarBound() const { return *toolbarBinding_; }
    ui::qt::GridView* Grid() const { return grid_; }
    QStatusBar* StatusBar() const { return statusBar_; }
    // The widget of a control of the window, by the control's name; null when unknown.
    QWidget* Widget(const std::string& controlName) const;

private:
    QLineEdit* Edit(ui::TextBox& box, QLabel* label, const QString& accessibleName = {});
    QDateEdit* Date(ui::DateBox& box, QLabel* label);
    QDoubleSpinBox* Number(ui::NumberBox& box, QLabel* label);
    QPushButton* Button(ui::Button& button);
    QLabel* Caption(ui::Label& label);

    bill::FrmAdjuctPrice& window_;
    QToolBar* toolBar_;
    ui::qt::GridView* grid_;
    QStatusBar* statusBar_;
    ui::qt::ToolbarBinding* toolbarBinding_;
};

}  // namespace views
