// State of a toolbar: buttons with key, caption, tooltip and icon name; separators between groups.
// onButtonClick receives the pressed button's key.
#pragma once
#include <vector>

#include "ui/Control.h"

namespace ui {

struct ToolButton {
    std::string key;
    std::string caption;
    std::string toolTip;
    std::string icon;        // icon name for a key the toolkit's command icons do not know; may be empty
    bool separatorBefore = false;
    bool visible = true;
    bool enabled = true;
};

class Toolbar : public Control {
public:
    using Control::Control;
    void Add(ToolButton b) { buttons_.push_back(std::move(b)); Notify(); }
    const std::vector<ToolButton>& Buttons() const { return buttons_; }
    const ToolButton* Find(std::string_view key) const {
        for (auto& b : buttons_) if (b.key == key) return &b;
        return nullptr;
    }
    void SetButtonEnabled(std::string_view key, bool enabled) {
        for (auto& b : buttons_)
            if (b.key == key && b.enabled != enabled) {
                b.enabled = enabled;
                Notify();
            }
    }
    std::function<void(const std::string& key)> onButtonClick;
    void Press(const std::string& key) { if (onButtonClick) onButtonClick(key); }
    int Height() const { return height_; }
    void SetHeight(int h) { height_ = h; }

private:
    std::vector<ToolButton> buttons_;
    int height_ = 0;
};

}  // namespace ui
