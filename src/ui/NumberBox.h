// State of a numeric entry control: a double value shown with a number of decimal places.
#pragma once
#include "ui/Control.h"

namespace ui {

class NumberBox : public Control {
public:
    using Control::Control;
    double Value() const { return value_; }
    void SetValue(double v) { value_ = v; Notify(); }
    void EnteredValue(double v) { value_ = v; }
    int Decimals() const { return decimals_; }
    void SetDecimals(int d) { decimals_ = d < 0 ? 0 : (d > 6 ? 6 : d); Notify(); }

private:
    double value_ = 0;
    int decimals_ = 2;
};

}  // namespace ui
