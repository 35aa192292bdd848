// Binds a DateBox state to a DateEdit shown as yyyy-MM-dd with a calendar popup. The state holds
// the value; the widget's dates (picked, stepped or typed) are reported to it as they change.
#pragma once
#include "ui/DateBox.h"
#include "ui/qt/ControlBinding.h"
#include "ui/qt/DateEdit.h"

namespace ui::qt {

class DateBoxBinding : public ControlBinding {
public:
    DateBoxBinding(ui::DateBox& box, DateEdit* edit);

protected:
    void Apply() override;

private:
    ui::DateBox& box_;
    DateEdit* edit_;
};

}  // namespace ui::qt
