// A timer control: while enabled it fires onTimer after each interval. The editor's focus timers
// switch themselves off in their handler, so they fire once.
#pragma once
#include <memory>

#include "ui/Control.h"

namespace ui {

class Timer : public Control {
public:
    Timer(Window& owner, std::string name, int intervalMs) : Control(owner, std::move(name)), interval_(intervalMs) {
        Control::SetEnabled(false);
    }
    ~Timer() override { *alive_ = false; }
    bool On() const { return Enabled(); }
    void SwitchOn();
    void SwitchOff() { Control::SetEnabled(false); }
    std::function<void()> onTimer;

private:
    void Schedule();
    int interval_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace ui
