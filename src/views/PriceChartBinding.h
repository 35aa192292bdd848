// Binds a bill::PriceChart state to a Qt Charts view: one line series through the points, dates
// along the bottom axis, prices on the left with the state's decimals; no legend.
#pragma once
#include <QChartView>

#include "bill/PriceChart.h"
#include "ui/qt/ControlBinding.h"

namespace views {

class PriceChartBinding : public ui::qt::ControlBinding {
public:
    PriceChartBinding(bill::PriceChart& chart, QChartView* view);

protected:
    void Apply() override;

private:
    bill::PriceChart& chart_;
    QChartView* view_;
};

}  // namespace views
