// State of a drop-down list the operator chooses one entry of (a combo box that takes no typing).
#pragma once
#include <string>
#include <vector>

#include "ui/Control.h"

namespace ui {

class ComboBox : public Control {
public:
    using Control::Control;
    const std::vector<std::string>& Items() const { return items_; }
    void SetItems(std::vector<std::string> items) {
        items_ = std::move(items);
        if (index_ >= static_cast<int>(items_.size())) index_ = -1;
        Notify();
    }
    // The chosen entry from 0; -1 when none is.
    int ListIndex() const { return index_; }
    void SetListIndex(int i) { index_ = Valid(i) ? i : -1; Notify(); }
    std::string Text() const { return index_ < 0 ? std::string() : items_[index_]; }
    // The operator's choice, reported by the view (no echo back to the view); raises onClick when
    // another entry is chosen.
    void Chosen(int i) {
        if (!Valid(i) || i == index_) return;
        index_ = i;
        if (onClick) onClick();
    }
    std::function<void()> onClick;

private:
    bool Valid(int i) const { return i >= 0 && i < static_cast<int>(items_.size()); }
    std::vector<std::string> items_;
    int index_ = -1;
};

}  // namespace ui
