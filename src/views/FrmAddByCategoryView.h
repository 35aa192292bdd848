// The dialog "按类别添加明细" (bill::FrmAddByCategory): the search field, the categories with
// their marks, the summary, 确定 and 取消.
#pragma once
#include "bill/FrmAddByCategory.h"
#include "views/ToolView.h"

namespace views {

class FrmAddByCategoryView : public ToolView {
    Q_OBJECT
public:
    FrmAddByCategoryView(bill::FrmAddByCategory& window, QWidget* parent = nullptr);

    ui::qt::GridView* Categories() const { return categories_; }

private:
    ui::qt::GridView* categories_;
};

}  // namespace views
