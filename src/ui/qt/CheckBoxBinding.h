// Binds a CheckBox state to a QCheckBox: the operator's click (or Space) reports
// CheckBox::Toggle, which raises the logic's onClick; the logic's SetValue is shown.
#pragma once
#include <QCheckBox>

#include "ui/CheckBox.h"
#include "ui/qt/ControlBinding.h"

namespace ui::qt {

class CheckBoxBinding : public ControlBinding {
public:
    CheckBoxBinding(ui::CheckBox& box, QCheckBox* check);

protected:
    void Apply() override;

private:
    ui::CheckBox& box_;
    QCheckBox* check_;
};

}  // namespace ui::qt
