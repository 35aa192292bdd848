// The dialog "复制到其他分支机构" (bill::FrmCopyBill): the search field, the targets with their
// marks, the summary, 全选 / 全不选, 确定 and 取消.
#pragma once
#include "bill/FrmCopyBill.h"
#include "views/ToolView.h"

namespace views {

class FrmCopyBillView : public ToolView {
    Q_OBJECT
public:
    FrmCopyBillView(bill::FrmCopyBill& window, QWidget* parent = nullptr);

    ui::qt::GridView* Targets() const { return targets_; }

private:
    ui::qt::GridView* targets_;
};

}  // namespace views
