// Which view shows which window: a factory per window name that builds the window's Qt dialog.
// The toolkit looks a window up here when the window is shown.
#pragma once
#include <functional>
#include <map>
#include <memory>
#include <string>

class QWidget;

namespace ui {
class Window;
}

namespace ui::qt {

class View;

class ViewRegistry {
public:
    // Builds the view of `window`, a dialog with `parent` as its owner window (may be null).
    using Factory = std::function<std::unique_ptr<View>(ui::Window& window, QWidget* parent)>;

    static ViewRegistry& Instance();

    // Replaces any factory registered for the same name.
    void Register(const std::string& windowName, Factory factory);
    bool Has(const std::string& windowName) const;
    // Throws std::logic_error when no view is registered for the window's name.
    std::unique_ptr<View> Build(ui::Window& window, QWidget* parent) const;

private:
    std::map<std::string, Factory> factories_;
};

}  // namespace ui::qt
