// State of a window's menu bar: top menus holding items (an item with an empty caption or "-"
// is a separator). onItemClick receives the item's name.
#pragma once
#include <vector>

#include "ui/Control.h"

namespace ui {

struct MenuItem {
    std::string name;
    std::string caption;  // "-" for a separator; '&' marks the access key
    bool enabled = true;
    bool visible = true;
};

struct TopMenu {
    std::string name;
    std::string caption;
    std::vector<MenuItem> items;
    bool enabled = true;
};

class MenuBar : public Control {
public:
    using Control::Control;
    void Add(TopMenu m) { menus_.push_back(std::move(m)); Notify(); }
    const std::vector<TopMenu>& Menus() const { return menus_; }
    std::function<void(const std::string& name)> onItemClick;
    void Choose(const std::string& name) { if (onItemClick) onItemClick(name); }

private:
    std::vector<TopMenu> menus_;
};

}  // namespace ui
