#include "ui/qt/StatusBarBinding.h"

namespace ui::qt {

StatusBarBinding::StatusBarBinding(ui::StatusBar& bar, QStatusBar* widget) : ControlBinding(bar, widget), bar_(bar) {
    for (int i = 1; i <= bar.PanelCount(); ++i) {
        auto* label = new QLabel(widget);
        label->setObjectName(QStringLiteral("panel%1").arg(i));
        label->setFrameShape(QFrame::StyledPanel);
        label->setFrameShadow(QFrame::Sunken);
        label->setMinimumWidth(i == 1 ? 120 : 200);
        widget->addPermanentWidget(label, i == 1 ? 1 : 0);
        panels_.push_back(label);
    }
}

void StatusBarBinding::Apply() {
    ControlBinding::Apply();
    for (int i = 1; i <= bar_.PanelCount() && i <= static_cast<int>(panels_.size()); ++i)
        panels_[i - 1]->setText(QString::fromStdString(bar_.Panel(i)));
}

}  // namespace ui::qt
