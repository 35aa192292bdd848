// Binds a Toolbar state to a QToolBar: one action per visible button, text under the icon, the
// button's tooltip and enabled state, separators between groups; a click presses the button's key.
#pragma once
#include <QAction>
#include <QPointer>
#include <QToolBar>
#include <string>
#include <vector>

#include "ui/Toolbar.h"
#include "ui/qt/ControlBinding.h"

namespace ui::qt {

class ToolbarBinding : public ControlBinding {
public:
    ToolbarBinding(ui::Toolbar& bar, QToolBar* widget);
    // The action of the button with this key; null for a hidden or unknown button.
    QAction* ActionOf(const std::string& key) const;

protected:
    void Apply() override;

private:
    void Rebuild();
    ui::Toolbar& bar_;
    QToolBar* widget_;
    std::vector<QPointer<QAction>> actions_;  // buttons and separators, children of the toolbar
    std::vector<std::pair<std::string, QPointer<QAction>>> byKey_;
    size_t builtFrom_ = 0;
    bool built_ = false;
};

}  // namespace ui::qt
