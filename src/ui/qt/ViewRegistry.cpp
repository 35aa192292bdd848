#include "ui/qt/ViewRegistry.h"

#include <stdexcept>

#include "ui/Window.h"
#include "ui/qt/View.h"

namespace ui::qt {

ViewRegistry& ViewRegistry::Instance() {
    static ViewRegistry registry;
    return registry;
}

void ViewRegistry::Register(const std::string& windowName, Factory factory) {
    factories_[windowName] = std::move(factory);
}

bool ViewRegistry::Has(const std::string& windowName) const { return factories_.count(windowName) != 0; }

std::unique_ptr<View> ViewRegistry::Build(ui::Window& window, QWidget* parent) const {
    auto it = factories_.find(window.Name());
    if (it == factories_.end()) throw std::logic_error("no view registered for window " + window.Name());
    auto view = it->second(window, parent);
    if (!view) throw std::logic_error("the view factory of window " + window.Name() + " built nothing");
    return view;
}

}  // namespace ui::qt
