// The windowing toolkit as the window logic sees it. One toolkit is current per process: the
// plug-in installs the Qt toolkit, tests install the headless one.
#pragma once
#include <functional>

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
};

bool HasToolkit();
Toolkit& CurrentToolkit();  // throws std::logic_error when none is installed
void InstallToolkit(Toolkit* toolkit);  // nullptr uninstalls; the caller keeps ownership

// Shorthand for CurrentToolkit().ShowMessage.
Answer MsgBox(const std::string& text, Buttons buttons, Icon icon, const std::string& title,
              DefaultButton def = DefaultButton::First);

// Busy pointer for the life of the object.
class BusyPointer {
public:
    BusyPointer();
    ~BusyPointer();
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;
};

}  // namespace ui
