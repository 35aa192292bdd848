#include "ui/qt/ButtonBinding.h"

#include "ui/qt/SafeCall.h"

namespace ui::qt {

ButtonBinding::ButtonBinding(ui::Button& button, QPushButton* push) : ControlBinding(button, push), button_(button), push_(push) {
    connect(push, &QPushButton::clicked, this, [this] { SafeCall([this] { button_.Click(); }); });
}

void ButtonBinding::Apply() {
    ControlBinding::Apply();
    push_->setText(QString::fromStdString(button_.Caption()));
    push_->setDefault(button_.IsDefault());
}

}  // namespace ui::qt
