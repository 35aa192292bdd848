// The windowing toolkit as the window logic sees it. One toolkit is current per process: the
// plug-in installs the Qt toolkit, tests install the headless one.
#pragma once
#include <functional>
#include <map>
#include <string>

#include "ui/Message.h"

namespace ui {

class Window;
class Control;

class Toolkit {
public:
    virtual ~Toolkit() = default;
    virtual Answer ShowMessage(const Message& m) = 0;
    // Busy pointer on or off; calls nest.
    virtual void SetBusy(bool busy) = 0;
    // Raises OnLoad, shows the window and returns once it has been unloaded.
    virtual void ShowModal(Window& w) = 0;
    // Unloads a shown window: OnUnload, then its ShowModal returns.
    virtual void Unload(Window& w) = 0;
    virtual void SetFocus(Window& w, Control& c) = 0;
    virtual void PostTab(Window& w, bool backwards) = 0;
    // Calls fn once after ms milliseconds, from the event loop.
    virtual void StartTimer(int ms, std::function<void()> fn) = 0;
    virtual void ProcessEvents() = 0;

    // A choice the operator made in a dialog (a sheet layout, a rounding rule), kept under `key`
    // for the next time; empty when none was kept. This base keeps them for the life of the
    // process; the Qt toolkit keeps them in the operator's settings file.
    virtual std::string Preference(const std::string& key);
    virtual void SetPreference(const std::string& key, const std::string& value);

private:
    std::map<std::string, std::string> preferences_;
};

bool HasToolkit();
Toolkit& CurrentToolkit();  // throws std::logic_error when none is installed
void InstallToolkit(Toolkit* toolkit);  // nullptr uninstalls; the caller keeps ownership


// Shorthand for CurrentToolkit().ShowMessage, within the rule of CommandScope below.
Answer MsgBox(const std::string& text, Buttons buttons, Icon icon, const std::string& title,
              DefaultButton def = DefaultButton::First);

// One command of the operator (a key, a click, a timer's handler) for the life of the object: the
// first failure it reports (an OK box with the critical or exclamation icon) is the only box it
// shows, so that one fault gives one message however many routines notice it on the way out.
// Scopes nest within a command; a window shown modally starts commands of its own. Without a
// scope every box is shown.
class CommandScope {
public:
    CommandScope();
    ~CommandScope();
    CommandScope(const CommandScope&) = delete;
    CommandScope& operator=(const CommandScope&) = delete;
    // Boxes left unshown since the outermost scope began.
    static int Suppressed();

private:
    friend class Window;
    friend Answer MsgBox(const std::string&, Buttons, Icon, const std::string&, DefaultButton);
    // What a modal window's own commands must not inherit from the command that showed it.
    struct State {
        int depth = 0;
        bool faultShown = false;
        int suppressed = 0;
    };
    static State& Current();
};

// Busy pointer for the life of the object.
class BusyPointer {
public:
    BusyPointer();
    ~BusyPointer();
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;
};

}  // namespace ui
