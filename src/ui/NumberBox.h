// State of a numeric entry control: a double value shown with a number of decimal places, and
// whether its whole text is selected (so that typing replaces the value).
#pragma once
#include "ui/Control.h"

namespace ui {

class NumberBox : public Control {
public:
    using Control::Control;
    double Value() const { return value_; }
    void SetValue(double v) { value_ = v; Notify(); }
    void EnteredValue(double v) { value_ = v; allSelected_ = false; }
    // Selects the whole text; the view shows it at once, also before the field has the focus.
    void SelectAll() { allSelected_ = true; ++selectAllRequests_; Notify(); }
    bool AllSelected() const { return allSelected_; }
    int SelectAllRequests() const { return selectAllRequests_; }
    int Decimals() const { return decimals_; }
    void SetDecimals(int d) { decimals_ = d < 0 ? 0 : (d > 6 ? 6 : d); Notify(); }

private:
    double value_ = 0;
    int decimals_ = 2;
    bool allSelected_ = false;
    int selectAllRequests_ = 0;
};

}  // namespace ui
