#include "ui/qt/ToolbarBinding.h"

#include <QIcon>

#include "ui/qt/SafeCall.h"

namespace ui::qt {

ToolbarBinding::ToolbarBinding(ui::Toolbar& bar, QToolBar* widget) : ControlBinding(bar, widget), bar_(bar), widget_(widget) {
    widget->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    widget->setMovable(false);
    widget->setFloatable(false);
}

QStyle::StandardPixmap ToolbarBinding::StandardIconFor(const std::string& key) {
    if (key == "新增") return QStyle::SP_FileIcon;
    if (key == "修改") return QStyle::SP_FileDialogDetailedView;
    if (key == "删除") return QStyle::SP_TrashIcon;
    if (key == "打印" || key == "重打") return QStyle::SP_DriveFDIcon;
    if (key == "预览") return QStyle::SP_FileDialogContentsView;
    if (key == "报表") return QStyle::SP_FileDialogListView;
    if (key == "选择") return QStyle::SP_DialogApplyButton;
    if (key == "记账") return QStyle::SP_DialogSaveButton;
    if (key == "刷新") return QStyle::SP_BrowserReload;
    if (key == "退出") return QStyle::SP_DialogCloseButton;
    return QStyle::SP_FileDialogInfoView;
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

        QIcon icon = !b.icon.empty() && QIcon::hasThemeIcon(QString::fromStdString(b.icon))
                         ? QIcon::fromTheme(QString::fromStdString(b.icon))
                         : widget_->style()->standardIcon(StandardIconFor(b.key));
        auto* action = new QAction(icon, QString::fromStdString(b.caption), widget_);
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
}

}  // namespace ui::qt
