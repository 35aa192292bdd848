#include "ui/qt/StandardViews.h"

#include "ui/qt/FrmBrowserView.h"
#include "ui/qt/FrmSubView.h"
#include "ui/qt/ViewRegistry.h"

namespace ui::qt {

void RegisterStandardViews() {
    auto& registry = ViewRegistry::Instance();
    registry.Register("frmSub", [](ui::Window& w, QWidget* parent) -> std::unique_ptr<View> {
        return std::make_unique<FrmSubView>(dynamic_cast<entry::FrmSub&>(w), parent);
    });
    registry.Register("FrmBrowser", [](ui::Window& w, QWidget* parent) -> std::unique_ptr<View> {
        return std::make_unique<FrmBrowserView>(dynamic_cast<browser::FrmBrowser&>(w), parent);
    });
}

}  // namespace ui::qt
