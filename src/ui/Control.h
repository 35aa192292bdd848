// Base of the control states that window logic owns and a toolkit view shows. Logic changes a
// state through its setters, which notify the view; the view reports operator input through the
// event slots (onKeyDown, onClick, ...) that the logic fills.
#pragma once
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace ui {

class Window;

class Control {
public:
    using Observer = std::function<void()>;
    using KeyHandler = std::function<void(int& key, int shift)>;

    Control(Window& owner, std::string name);
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const std::string& Name() const { return name_; }
    Window& Owner() const { return owner_; }

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool v) { enabled_ = v; Notify(); }
    bool Visible() const { return visible_; }
    void SetVisible(bool v) { visible_ = v; Notify(); }
    const std::string& ToolTip() const { return toolTip_; }
    void SetToolTip(std::string t) { toolTip_ = std::move(t); Notify(); }
    // Position in the window's tab order (lower first); -1 takes no focus.
    int TabIndex() const { return tabIndex_; }
    void SetTabIndex(int i) { tabIndex_ = i; }

    // Events raised by the view.
    KeyHandler onKeyDown;
    std::function<void()> onGotFocus;
    void RaiseKeyDown(int& key, int shift) { if (onKeyDown) onKeyDown(key, shift); }
    void RaiseGotFocus() { if (onGotFocus) onGotFocus(); }

    // The view subscribes to redraw itself; logic never calls these.
    void Subscribe(Observer o) { observers_.push_back(std::move(o)); }
    void ClearObservers() { observers_.clear(); }

protected:
    void Notify() {
        for (auto& o : observers_) o();
    }

private:
    Window& owner_;
    std::string name_;
    bool enabled_ = true;
    bool visible_ = true;
    std::string toolTip_;
    int tabIndex_ = -1;
    std::vector<Observer> observers_;
};

}  // namespace ui
