// State of a label (fixed or changing caption).
#pragma once
#include "ui/Control.h"

namespace ui {

class Label : public Control {
public:
    Label(Window& owner, std::string name, std::string caption)
        : Control(owner, std::move(name)), caption_(std::move(caption)) {}
    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string c) { caption_ = std::move(c); Notify(); }
    bool Bold() const { return bold_; }
    int PointSize() const { return pointSize_; }
    void SetFont(int pointSize, bool bold) { pointSize_ = pointSize; bold_ = bold; Notify(); }

private:
    std::string caption_;
    int pointSize_ = 0;  // 0: the window's font
    bool bold_ = false;
};

}  // namespace ui
