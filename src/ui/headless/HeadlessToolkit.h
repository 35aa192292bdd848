// A toolkit without a screen, for tests: message boxes are answered from a script (or by their
// default button) and recorded; what the operator does when a window is shown is registered per
// window name; timers fire when events are processed.
#pragma once
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "ui/Toolkit.h"

namespace ui {

class HeadlessToolkit : public Toolkit {
public:
    struct Recorded {
        Message message;
        Answer answer;
    };
    using Action = std::function<void(Window&)>;

    // Answers the next Yes/No questions in order; a question with no queued answer gets its default
    // button. OK boxes take no answer from the queue.
    void QueueAnswer(Answer a) { answers_.push_back(a); }
    // The next time a window of this name is shown, run this action after its load. A window
    // whose action returns without closing it is closed then; a window with no action is closed
    // right after its load.
    void OnShow(const std::string& windowName, Action action) { actions_[windowName].push_back(std::move(action)); }

    const std::vector<Recorded>& Messages() const { return messages_; }
    void ClearMessages() { messages_.clear(); }
    const std::vector<std::string>& ShownWindows() const { return shown_; }
    int BusyDepth() const { return busyDepth_; }

    Answer ShowMessage(const Message& m) override;
    void SetBusy(bool busy) override;
    void ShowModal(Window& w) override;
    void Unload(Window& w) override;
    void SetFocus(Window& w, Control& c) override;
    void PostTab(Window& w, bool backwards) override;
    void StartTimer(int ms, std::function<void()> fn) override;
    void ProcessEvents() override;

private:
    std::deque<Answer> answers_;
    std::map<std::string, std::deque<Action>> actions_;
    std::vector<Recorded> messages_;
    std::vector<std::string> shown_;
    std::deque<std::function<void()>> timers_;
    int busyDepth_ = 0;
};

// Installs a HeadlessToolkit for the life of the object and restores the previous one after.
class ScopedHeadlessToolkit {
public:
    ScopedHeadlessToolkit();
    ~ScopedHeadlessToolkit();
    HeadlessToolkit& operator*() { return tk_; }
    HeadlessToolkit* operator->() { return &tk_; }

private:
    HeadlessToolkit tk_;
    Toolkit* previous_;
};

}  // namespace ui
