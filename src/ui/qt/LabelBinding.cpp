#include "ui/qt/LabelBinding.h"

namespace ui::qt {

LabelBinding::LabelBinding(ui::Label& label, QLabel* widget) : ControlBinding(label, widget), label_(label), widget_(widget) {}

void LabelBinding::Apply() {
    ControlBinding::Apply();
    widget_->setText(QString::fromStdString(label_.Caption()));
    if (label_.PointSize() <= 0 && !label_.Bold()) {
        widget_->setFont(QFont());  // back to the window's font
        return;
    }
    QFont font = widget_->parentWidget() ? widget_->parentWidget()->font() : widget_->font();
    if (label_.PointSize() > 0) font.setPointSize(label_.PointSize());
    font.setBold(label_.Bold());
    widget_->setFont(font);
}

}  // namespace ui::qt
