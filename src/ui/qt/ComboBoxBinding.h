// Binds a ComboBox state to a non-editable QComboBox: the state's entries and choice are shown;
// the operator's choice (mouse, arrow keys, typing a first letter) is reported by Chosen.
#pragma once
#include <QComboBox>

#include "ui/ComboBox.h"
#include "ui/qt/ControlBinding.h"

namespace ui::qt {

class ComboBoxBinding : public ControlBinding {
public:
    ComboBoxBinding(ui::ComboBox& box, QComboBox* combo);

protected:
    void Apply() override;

private:
    ui::ComboBox& box_;
    QComboBox* combo_;
};

}  // namespace ui::qt
