// Binds a DateBox state to a QDateEdit shown as yyyy-MM-dd with a calendar popup.
#pragma once
#include <QDateEdit>

#include "ui/DateBox.h"
#include "ui/qt/ControlBinding.h"

namespace ui::qt {

class DateBoxBinding : public ControlBinding {
public:
    DateBoxBinding(ui::DateBox& box, QDateEdit* edit);

protected:
    void Apply() override;

private:
    ui::DateBox& box_;
    QDateEdit* edit_;
};

}  // namespace ui::qt
