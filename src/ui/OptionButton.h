// State of an option (radio) button; buttons of the same group exclude each other.
#pragma once
#include "ui/Control.h"

namespace ui {

class OptionButton : public Control {
public:
    OptionButton(Window& owner, std::string name, std::string caption, int group = 0)
        : Control(owner, std::move(name)), caption_(std::move(caption)), group_(group) {}
    const std::string& Caption() const { return caption_; }
    int Group() const { return group_; }
    bool Value() const { return value_; }
    // Selecting one clears the others of its group.
    void SetValue(bool v);

private:
    friend class Window;
    void SetRaw(bool v) { value_ = v; Notify(); }
    std::string caption_;
    int group_;
    bool value_ = false;
};

}  // namespace ui
