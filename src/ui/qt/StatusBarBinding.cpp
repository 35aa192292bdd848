#include "ui/qt/StatusBarBinding.h"

namespace ui::qt {
namespace {

// A notice in dark blue, a warning in dark red and bold: both readable on the usual light bar.
QString StyleOf(ui::StatusBar::Tone tone) {
    switch (tone) {
        case ui::StatusBar::Tone::Notice:
            return QStringLiteral("QLabel { color: #0b4f9c; }");
        case ui::StatusBar::Tone::Warning:
            return QStringLiteral("QLabel { color: #b00020; font-weight: bold; }");
        case ui::StatusBar::Tone::Normal:
            break;
    }
    return {};
}

}  // namespace

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
    for (int i = 1; i <= bar_.PanelCount() && i <= static_cast<int>(panels_.size()); ++i) {
        QLabel* label = panels_[i - 1];
        label->setText(QString::fromStdString(bar_.Panel(i)));
        const QString style = StyleOf(bar_.PanelTone(i));
        if (label->styleSheet() != style) label->setStyleSheet(style);
    }
}

}  // namespace ui::qt
