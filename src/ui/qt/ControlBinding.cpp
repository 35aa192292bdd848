#include "ui/qt/ControlBinding.h"

#include <QScopedValueRollback>

#include "ui/Control.h"

namespace ui::qt {

ControlBinding::ControlBinding(ui::Control& control, QWidget* widget) : control_(control), widget_(widget) {}

ControlBinding::~ControlBinding() = default;

void ControlBinding::Start() {
    // The state outlives the view; the observer turns inert once this binding is gone.
    std::weak_ptr<int> alive = alive_;
    control_.Subscribe([this, alive] {
        if (alive.lock()) Refresh();
    });
    Refresh();
}

void ControlBinding::Refresh() {
    if (!widget_) return;
    QScopedValueRollback<bool> guard(applying_, true);
    Apply();
}

void ControlBinding::Apply() {
    QWidget* w = widget_;
    w->setEnabled(control_.Enabled());
    QWidget* parent = w->parentWidget();
    bool shown = parent ? w->isVisibleTo(parent) : !w->isHidden();
    if (shown != control_.Visible()) w->setVisible(control_.Visible());
    QString tip = QString::fromStdString(control_.ToolTip());
    if (w->toolTip() != tip) w->setToolTip(tip);
}

}  // namespace ui::qt
