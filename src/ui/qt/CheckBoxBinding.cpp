#include "ui/qt/CheckBoxBinding.h"

#include "ui/qt/SafeCall.h"

namespace ui::qt {

CheckBoxBinding::CheckBoxBinding(ui::CheckBox& box, QCheckBox* check) : ControlBinding(box, check), box_(box), check_(check) {
    connect(check, &QCheckBox::toggled, this, [this](bool checked) {
        if (!Applying() && checked != box_.Value()) SafeCall([this, checked] { box_.Toggle(checked); });
    });
}

void CheckBoxBinding::Apply() {
    ControlBinding::Apply();
    check_->setText(QString::fromStdString(box_.Caption()));
    if (check_->isChecked() != box_.Value()) check_->setChecked(box_.Value());
}

}  // namespace ui::qt
