// The toolkit of the real screen: Qt message boxes, the busy pointer, and each window shown
// modally through the view registered for its name.
#pragma once
#include <vector>

#include "ui/Toolkit.h"
#include "ui/qt/Application.h"

namespace ui::qt {

class View;

class QtToolkit : public ui::Toolkit {
public:
    QtToolkit() = default;
    ~QtToolkit() override = default;
    QtToolkit(const QtToolkit&) = delete;
    QtToolkit& operator=(const QtToolkit&) = delete;

    ui::Answer ShowMessage(const ui::Message& m) override;
    void SetBusy(bool busy) override;
    // Builds the window's view, raises its load and runs the dialog until the window is unloaded.
    // A window that closes itself during its load is never shown.
    void ShowModal(ui::Window& w) override;
    void Unload(ui::Window& w) override;
    void SetFocus(ui::Window& w, ui::Control& c) override;
    // Moves the focus once the current event has been handled.
    void PostTab(ui::Window& w, bool backwards) override;
    void StartTimer(int ms, std::function<void()> fn) override;
    void ProcessEvents() override;
    std::string Preference(const std::string& key) override;
    void SetPreference(const std::string& key, const std::string& value) override;

    // The view showing `w`, or null when it is not shown by this toolkit.
    View* ViewOf(const ui::Window& w) const;
    int BusyDepth() const { return busyDepth_; }

private:
    std::vector<View*> open_;  // views being shown, innermost last; owned by their ShowModal
    int busyDepth_ = 0;
};

// Installs a process-wide QtToolkit, with the standard views registered, unless the host has
// installed a toolkit already.
void InstallQtToolkitIfNone();

}  // namespace ui::qt
