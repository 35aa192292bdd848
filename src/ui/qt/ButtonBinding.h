// Binds a Button state to a QPushButton: caption, click reported to the logic. No button of a
// window is a dialog default: Enter presses a button only when the button has the focus, and a
// field without a use for Enter leaves it unused instead of pressing some button of the window.
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
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ui::Button& button_;
    QPushButton* push_;
};

}  // namespace ui::qt
