// State of a status bar: a list of text panels, numbered from 1.
#pragma once
#include <vector>

#include "ui/Control.h"

namespace ui {

class StatusBar : public Control {
public:
    StatusBar(Window& owner, std::string name, int panels) : Control(owner, std::move(name)), panels_(panels) {}
    int PanelCount() const { return static_cast<int>(panels_.size()); }
    const std::string& Panel(int index) const { return panels_.at(index - 1); }
    void SetPanel(int index, std::string text) { panels_.at(index - 1) = std::move(text); Notify(); }

private:
    std::vector<std::string> panels_;
};

}  // namespace ui
