// The dialog "单据合计" (bill::FrmBillTotals): the bill's figures, each named by its caption, and a
// close button.
#pragma once
#include "bill/FrmBillTotals.h"
#include "views/ToolView.h"

namespace views {

class FrmBillTotalsView : public ToolView {
    Q_OBJECT
public:
    FrmBillTotalsView(bill::FrmBillTotals& window, QWidget* parent = nullptr);
};

}  // namespace views
