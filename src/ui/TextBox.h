// State of a single-line text box: text, read-only lock, background colour and selection.
#pragma once
#include <cstdint>

#include "ui/Control.h"

namespace ui {

class TextBox : public Control {
public:
    using Control::Control;
    const std::string& Text() const { return text_; }
    void SetText(std::string t) { text_ = std::move(t); selStart_ = selLength_ = 0; Notify(); }
    // Operator typing, reported by the view (no echo back to the view); raises onChange when the
    // text differs from what it was.
    void TypedText(std::string t) {
        if (t == text_) return;
        text_ = std::move(t);
        if (onChange) onChange();
    }
    std::function<void()> onChange;

    bool Locked() const { return locked_; }
    void SetLocked(bool v) { locked_ = v; Notify(); }
    // 0xRRGGBB; 0xFFFFFF is the ordinary white.
    std::uint32_t BackColor() const { return backColor_; }
    void SetBackColor(std::uint32_t c) { backColor_ = c; Notify(); }

    int SelStart() const { return selStart_; }
    int SelLength() const { return selLength_; }
    void Select(int start, int length) { selStart_ = start; selLength_ = length; Notify(); }
    void SelectAll();  // whole text, counted in characters

private:
    std::string text_;
    bool locked_ = false;
    std::uint32_t backColor_ = 0xFFFFFF;
    int selStart_ = 0, selLength_ = 0;
};

}  // namespace ui
