// Binds a MenuBar state to a QMenuBar: top menus and items with their '&' access keys, "-" or
// empty captions as separators, enabled and visible states; choosing an item reports its name.
#pragma once
#include <QMenuBar>
#include <QPointer>
#include <string>
#include <vector>

#include "ui/Menu.h"
#include "ui/qt/ControlBinding.h"

namespace ui::qt {

class MenuBarBinding : public ControlBinding {
public:
    MenuBarBinding(ui::MenuBar& bar, QMenuBar* widget);
    // The action of the item (or top menu) with this name; null when unknown.
    QAction* ActionOf(const std::string& name) const;

protected:
    void Apply() override;

private:
    void Rebuild();
    ui::MenuBar& bar_;
    QMenuBar* widget_;
    std::vector<QPointer<QMenu>> menus_;  // children of the menu bar
    std::vector<std::pair<std::string, QPointer<QAction>>> byName_;
    std::vector<ui::TopMenu> built_;
    bool everBuilt_ = false;
};

}  // namespace ui::qt
