// Binds an OptionButton state to a QRadioButton. Selecting by click, Space or arrow keys reports
// OptionButton::SetValue(true), whose group rule clears the other options; the views give each
// option group its own parent widget so that Qt's arrow-key navigation stays inside the group.
#pragma once
#include <QRadioButton>

#include "ui/OptionButton.h"
#include "ui/qt/ControlBinding.h"

namespace ui::qt {

class OptionButtonBinding : public ControlBinding {
public:
    OptionButtonBinding(ui::OptionButton& option, QRadioButton* radio);

protected:
    void Apply() override;

private:
    ui::OptionButton& option_;
    QRadioButton* radio_;
};

}  // namespace ui::qt
