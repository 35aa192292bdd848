#include "ui/Window.h"

#include <algorithm>
#include <utility>

#include "ui/Control.h"
#include "ui/Keys.h"
#include "ui/Toolkit.h"

namespace ui {

Window::Window(std::string name, std::string caption) : name_(std::move(name)), caption_(std::move(caption)) {}
Window::~Window() = default;

void Window::SetCaption(std::string c) {
    caption_ = std::move(c);
    for (auto& o : captionObservers_) o();
}

void Window::ShowModal() {
    // The window's own commands report their faults whatever the command that opened it showed.
    struct Restore {
        CommandScope::State saved = std::exchange(CommandScope::Current(), CommandScope::State{});
        ~Restore() { CommandScope::Current() = saved; }
    } restore;
    CurrentToolkit().ShowModal(*this);
}
void Window::Close() {
    if (shown_) CurrentToolkit().Unload(*this);
}

Control* Window::Find(const std::string& name) const {
    for (Control* c : controls_)
        if (c->Name() == name) return c;
    return nullptr;
}

void Window::SetFocus(Control& c) { CurrentToolkit().SetFocus(*this, c); }

void Window::OfferFocus(Control& c) noexcept {
    try {
        SetFocus(c);
    } catch (...) {
    }
}

void Dialog::OnKeyDown(int& key, int) {
    if (key == Key::Escape) {
        key = 0;
        Close();
    }
}

void Window::SendTab(bool backwards) { CurrentToolkit().PostTab(*this, backwards); }

Control* Window::NextInTabOrder(bool backwards) const {
    std::vector<Control*> order;
    for (Control* c : controls_)
        if (c->TabIndex() >= 0 && c->Enabled() && c->Visible()) order.push_back(c);
    if (order.empty()) return nullptr;
    std::stable_sort(order.begin(), order.end(), [](Control* a, Control* b) { return a->TabIndex() < b->TabIndex(); });
    auto it = std::find(order.begin(), order.end(), focused_);
    if (it == order.end()) return backwards ? order.back() : order.front();
    long i = it - order.begin();
    long n = static_cast<long>(order.size());
    return order[((backwards ? i - 1 : i + 1) % n + n) % n];
}

}  // namespace ui
