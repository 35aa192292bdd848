// The dialog "历史价格" (bill::FrmPriceHistory): the item, target and current price on top; the
// audited bills, the open bills and the "nothing found" note on the left; the price chart
// (Qt Charts) beside them; a close button.
#pragma once
#include <QChartView>
#include <QSplitter>
#include <QTableView>

#include "bill/FrmPriceHistory.h"
#include "views/ToolView.h"

namespace views {

class FrmPriceHistoryView : public ToolView {
    Q_OBJECT
public:
    FrmPriceHistoryView(bill::FrmPriceHistory& window, QWidget* parent = nullptr);

    QChartView* Chart() const { return chart_; }

private:
    // Gives the lists the width the audited bills' columns need, beside a chart of at least its
    // minimum width, widening the window as far as the screen allows.
    void FitLists(QTableView* audited);

    QChartView* chart_;
    QSplitter* splitter_ = nullptr;
};

}  // namespace views
