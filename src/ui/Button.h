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
    // The button Esc presses. No button is pressed by Enter unless it has the focus.
    bool IsCancel() const { return cancel_; }
    void SetCancel(bool v) { cancel_ = v; }

    std::function<void()> onClick;
    void Click() { if (onClick) onClick(); }

private:
    std::string caption_;
    bool cancel_ = false;
};

}  // namespace ui
