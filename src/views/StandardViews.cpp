#include "views/StandardViews.h"

#include "views/FrmAdjuctPriceView.h"
#include "views/FrmBrowserView.h"
#include "views/FrmSubView.h"
#include "ui/qt/ViewRegistry.h"

namespace views {
using namespace ui::qt;

void RegisterStandardViews() {
    auto& registry = ViewRegistry::Instance();
    registry.Register("frmSub", [](ui::Window& w, QWidget* parent) -> std::unique_ptr<View> {
        return std::make_unique<FrmSubView>(dynamic_cast<entry::FrmSub&>(w), parent);
    });
    registry.Register("FrmBrowser", [](ui::Window& w, QWidget* parent) -> std::unique_ptr<View> {
        return std::make_unique<FrmBrowserView>(dynamic_cast<browser::FrmBrowser&>(w), parent);
    });
    registry.Register("FrmAdjuctPrice", [](ui::Window& w, QWidget* parent) -> std::unique_ptr<View> {
        return std::make_unique<FrmAdjuctPriceView>(dynamic_cast<bill::FrmAdjuctPrice&>(w), parent);
    });
}

}  // namespace views
