// Binds a Button state to a QPushButton: caption, default button, click reported to the logic.
#pragma once
#include <QPushButton>

#include "ui/Button.h"
#include "ui/qt/ControlBinding.h"

namespace ui::qt {

class ButtonBinding : public ControlBinding {
public:
    ButtonBinding(ui::Button& button, QPushButton* push);

protected:
    void Apply() override;

private:
    ui::Button& button_;
    QPushButton* push_;
};

}  // namespace ui::qt
