#include "ui/Control.h"

#include "ui/OptionButton.h"
#include "ui/TextBox.h"
#include "ui/Timer.h"
#include "ui/Toolkit.h"
#include "ui/Window.h"

namespace ui {

Control::Control(Window& owner, std::string name) : owner_(owner), name_(std::move(name)) { owner_.Register(this); }

void TextBox::SelectAll() {
    int chars = 0;
    for (unsigned char c : text_)
        if ((c & 0xC0) != 0x80) ++chars;
    Select(0, chars);
}

void OptionButton::SetValue(bool v) {
    if (v) {
        for (Control* c : Owner().Controls()) {
            auto* o = dynamic_cast<OptionButton*>(c);
            if (o && o != this && o->group_ == group_ && o->value_) o->SetRaw(false);
        }
    }
    SetRaw(v);
}

void Timer::SwitchOn() {
    Control::SetEnabled(true);
    Schedule();
}

void Timer::Schedule() {
    std::weak_ptr<bool> alive = alive_;
    CurrentToolkit().StartTimer(interval_, [this, alive] {
        auto a = alive.lock();
        if (!a || !*a || !On()) return;
        if (onTimer) onTimer();
        if (On()) Schedule();  // still enabled: fire again after the next interval
    });
}

}  // namespace ui
