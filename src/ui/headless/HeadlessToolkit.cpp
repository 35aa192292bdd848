#include "ui/headless/HeadlessToolkit.h"

#include "ui/Control.h"
#include "ui/Window.h"

namespace ui {

Answer HeadlessToolkit::ShowMessage(const Message& m) {
    Answer a;
    if (m.buttons == Buttons::Ok) {
        a = Answer::Ok;  // queued answers are for questions only
    } else if (!answers_.empty()) {
        a = answers_.front();
        answers_.pop_front();
    } else {
        a = m.defaultButton == DefaultButton::First ? Answer::Yes : Answer::No;
    }
    messages_.push_back({m, a});
    return a;
}

void HeadlessToolkit::SetBusy(bool busy) {
    if (busy) {
        ++busyDepth_;
    } else if (busyDepth_ > 0) {
        --busyDepth_;
    }
}

void HeadlessToolkit::ShowModal(Window& w) {
    shown_.push_back(w.Name());
    w.MarkShown(true);
    w.SetSize(w.DesignWidth(), w.DesignHeight());
    w.OnLoad();
    if (!w.IsShown()) return;  // closed during its load
    ProcessEvents();
    auto it = actions_.find(w.Name());
    if (it != actions_.end() && !it->second.empty()) {
        Action a = std::move(it->second.front());
        it->second.pop_front();
        a(w);
        ProcessEvents();
    }
    if (w.IsShown()) Unload(w);
}

void HeadlessToolkit::Unload(Window& w) {
    if (!w.IsShown()) return;
    w.MarkShown(false);
    w.OnUnload();
}

void HeadlessToolkit::SetFocus(Window& w, Control& c) {
    w.NoteFocus(&c);
    c.RaiseGotFocus();
}

void HeadlessToolkit::PostTab(Window& w, bool backwards) {
    if (Control* next = w.NextInTabOrder(backwards)) SetFocus(w, *next);
}

void HeadlessToolkit::StartTimer(int, std::function<void()> fn) { timers_.push_back(std::move(fn)); }

void HeadlessToolkit::ProcessEvents() {
    // Timers started by a timer handler run in the same pass; a bound keeps a timer that
    // re-arms itself forever from hanging the test.
    for (int guard = 0; !timers_.empty() && guard < 1000; ++guard) {
        auto fn = std::move(timers_.front());
        timers_.pop_front();
        fn();
    }
}

ScopedHeadlessToolkit::ScopedHeadlessToolkit() : previous_(HasToolkit() ? &CurrentToolkit() : nullptr) {
    InstallToolkit(&tk_);
}
ScopedHeadlessToolkit::~ScopedHeadlessToolkit() { InstallToolkit(previous_); }

}  // namespace ui
