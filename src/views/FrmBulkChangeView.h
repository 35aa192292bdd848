// The dialog "批量修改新售价" (bill::FrmBulkChange): how, by how much, from which price, on
// which lines and to which price ending; the lines with their preview; the summary; preview, apply and close.
#pragma once
#include "bill/FrmBulkChange.h"
#include "views/ToolView.h"

namespace views {

class FrmBulkChangeView : public ToolView {
    Q_OBJECT
public:
    FrmBulkChangeView(bill::FrmBulkChange& window, QWidget* parent = nullptr);

    ui::qt::GridView* Lines() const { return lines_; }

private:
    ui::qt::GridView* lines_;
};

}  // namespace views
