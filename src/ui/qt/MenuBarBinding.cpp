#include "ui/qt/MenuBarBinding.h"

#include <QMenu>

#include "ui/qt/SafeCall.h"

namespace ui::qt {
namespace {

bool IsSeparator(const ui::MenuItem& item) { return item.caption.empty() || item.caption == "-"; }

bool SameItems(const std::vector<ui::MenuItem>& a, const std::vector<ui::MenuItem>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].name != b[i].name || a[i].caption != b[i].caption || a[i].enabled != b[i].enabled ||
            a[i].visible != b[i].visible)
            return false;
    }
    return true;
}

bool SameMenus(const std::vector<ui::TopMenu>& a, const std::vector<ui::TopMenu>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].name != b[i].name || a[i].caption != b[i].caption || a[i].enabled != b[i].enabled ||
            !SameItems(a[i].items, b[i].items))
            return false;
    }
    return true;
}

}  // namespace

MenuBarBinding::MenuBarBinding(ui::MenuBar& bar, QMenuBar* widget) : ControlBinding(bar, widget), bar_(bar), widget_(widget) {}

QAction* MenuBarBinding::ActionOf(const std::string& name) const {
    for (auto& [n, a] : byName_)
        if (n == name) return a;
    return nullptr;
}

void MenuBarBinding::Rebuild() {
    widget_->clear();
    // Deferred: the rebuild may run inside a handler of one of these menus.
    for (auto& m : menus_)
        if (m) m->deleteLater();
    menus_.clear();
    byName_.clear();

    for (const ui::TopMenu& top : bar_.Menus()) {
        auto* menu = new QMenu(QString::fromStdString(top.caption), widget_);
        menu->menuAction()->setEnabled(top.enabled);
        byName_.emplace_back(top.name, menu->menuAction());
        for (const ui::MenuItem& item : top.items) {
            QAction* action = IsSeparator(item) ? menu->addSeparator() : menu->addAction(QString::fromStdString(item.caption));
            action->setEnabled(item.enabled);
            action->setVisible(item.visible);
            if (!IsSeparator(item)) {
                connect(action, &QAction::triggered, this,
                        [this, name = item.name] { SafeCall([&] { bar_.Choose(name); }); });
            }
            byName_.emplace_back(item.name, action);
        }
        widget_->addMenu(menu);
        menus_.emplace_back(menu);
    }
    built_ = bar_.Menus();
    everBuilt_ = true;
}

void MenuBarBinding::Apply() {
    ControlBinding::Apply();
    if (!everBuilt_ || !SameMenus(built_, bar_.Menus())) Rebuild();
}

}  // namespace ui::qt
