// State of a command button; onClick is filled by the window logic.
#pragma once
#include "ui/Control.h"

namespace ui {

class Button : public Control {
public:
    Button(Window& owner, std::string name, std::string caption)
        : Control(owner, std::move(name)), caption_(std::move(caption)) {}
    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string c) { caption_ = std::move(c); Notify(); }
    // The button Enter presses when no other button has the focus / Esc presses.
    bool IsDefault() const { return default_; }
    void SetDefault(bool v) { default_ = v; }
    bool IsCancel() const { return cancel_; }
    void SetCancel(bool v) { cancel_ = v; }

    std::function<void()> onClick;
    void Click() { if (onClick) onClick(); }

private:
    std::string caption_;
    bool default_ = false, cancel_ = false;
};

}  // namespace ui
