#include "ui/qt/ToolbarBinding.h"

#include <QIcon>

#include "ui/qt/CommandIcons.h"
#include "ui/qt/SafeCall.h"

namespace ui::qt {

ToolbarBinding::ToolbarBinding(ui::Toolbar& bar, QToolBar* widget) : ControlBinding(bar, widget), bar_(bar), widget_(widget) {
    widget->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    widget->setMovable(false);
    widget->setFloatable(false);
    widget->setIconSize(ToolIconSize());
}

QAction* ToolbarBinding::ActionOf(const std::string& key) const {
    for (auto& [k, a] : byKey_)
        if (k == key) return a;
    return nullptr;
}

void ToolbarBinding::Rebuild() {
    widget_->clear();
    for (auto& a : actions_)
        if (a) a->deleteLater();
    actions_.clear();
    byKey_.clear();

    // A separator stands between two groups that both show a button, never at an end.
    bool separatorPending = false;
    bool anyShown = false;
    for (const ui::ToolButton& b : bar_.Buttons()) {
        separatorPending = separatorPending || b.separatorBefore;
        if (!b.visible) continue;
        if (separatorPending && anyShown) actions_.emplace_back(widget_->addSeparator());
        separatorPending = false;
        anyShown = true;

        auto* action = new QAction(CommandIcon(b.key, b.icon), QString::fromStdString(b.caption), widget_);
        action->setToolTip(QString::fromStdString(b.toolTip));
        action->setEnabled(b.enabled);
        connect(action, &QAction::triggered, this, [this, key = b.key] { SafeCall([&] { bar_.Press(key); }); });
        widget_->addAction(action);
        actions_.emplace_back(action);
        byKey_.emplace_back(b.key, action);
    }
    builtFrom_ = bar_.Buttons().size();
    built_ = true;
}

void ToolbarBinding::Apply() {
    ControlBinding::Apply();
    // Buttons are only ever added, so a change of count is the one change of shape.
    if (!built_ || builtFrom_ != bar_.Buttons().size()) Rebuild();
    for (auto& [key, action] : byKey_)
        if (const ui::ToolButton* b = bar_.Find(key); b && action && action->isEnabled() != b->enabled) action->setEnabled(b->enabled);
}

}  // namespace ui::qt
