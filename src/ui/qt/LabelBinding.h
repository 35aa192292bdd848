// Binds a Label state to a QLabel: caption, point size and weight.
#pragma once
#include <QLabel>

#include "ui/Label.h"
#include "ui/qt/ControlBinding.h"

namespace ui::qt {

class LabelBinding : public ControlBinding {
public:
    LabelBinding(ui::Label& label, QLabel* widget);

protected:
    void Apply() override;

private:
    ui::Label& label_;
    QLabel* widget_;
};

}  // namespace ui::qt
