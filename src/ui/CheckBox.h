// State of a check box: on or off, independent of any other. onClick is raised by the view when
// the operator changes it (not when the logic does).
#pragma once
#include <functional>

#include "ui/Control.h"

namespace ui {

class CheckBox : public Control {
public:
    CheckBox(Window& owner, std::string name, std::string caption)
        : Control(owner, std::move(name)), caption_(std::move(caption)) {}
    const std::string& Caption() const { return caption_; }
    bool Value() const { return value_; }
    void SetValue(bool v) {
        value_ = v;
        Notify();
    }

    std::function<void()> onClick;
    // The operator set the box to v.
    void Toggle(bool v) {
        SetValue(v);
        if (onClick) onClick();
    }

private:
    std::string caption_;
    bool value_ = false;
};

}  // namespace ui
