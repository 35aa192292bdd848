// The dialog "打印价签" (bill::FrmShelfLabels): the sheet layout, the set per branch of a type,
// the summary, and preview, PDF and close.
#pragma once
#include "bill/FrmShelfLabels.h"
#include "views/ToolView.h"

namespace views {

class FrmShelfLabelsView : public ToolView {
    Q_OBJECT
public:
    FrmShelfLabelsView(bill::FrmShelfLabels& window, QWidget* parent = nullptr);
};

}  // namespace views
