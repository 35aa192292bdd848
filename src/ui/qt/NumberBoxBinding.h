// Binds a NumberBox state to a QDoubleSpinBox used as a plain number field: the state's decimals,
// no step buttons, no stepping by arrow keys or wheel, a range wide enough for any amount.
#pragma once
#include <QDoubleSpinBox>

#include "ui/NumberBox.h"
#include "ui/qt/ControlBinding.h"

namespace ui::qt {

class NumberBoxBinding : public ControlBinding {
public:
    NumberBoxBinding(ui::NumberBox& box, QDoubleSpinBox* spin);

protected:
    void Apply() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ui::NumberBox& box_;
    QDoubleSpinBox* spin_;
    bool typed_ = false;  // typed into since it was last reported
    int shownSelectAll_ = 0;  // the state's select-all requests carried out
};

}  // namespace ui::qt
