#include "ui/qt/OptionButtonBinding.h"

#include "ui/qt/SafeCall.h"

namespace ui::qt {

OptionButtonBinding::OptionButtonBinding(ui::OptionButton& option, QRadioButton* radio)
    : ControlBinding(option, radio), option_(option), radio_(radio) {
    radio->setAutoExclusive(true);
    connect(radio, &QRadioButton::toggled, this, [this](bool checked) {
        if (!Applying() && checked && !option_.Value()) SafeCall([this] { option_.SetValue(true); });
    });
}

void OptionButtonBinding::Apply() {
    ControlBinding::Apply();
    radio_->setText(QString::fromStdString(option_.Caption()));
    if (radio_->isChecked() != option_.Value()) {
        // Qt refuses to clear the checked button of an exclusive set; the state rules here.
        radio_->setAutoExclusive(false);
        radio_->setChecked(option_.Value());
        radio_->setAutoExclusive(true);
    }
}

}  // namespace ui::qt
