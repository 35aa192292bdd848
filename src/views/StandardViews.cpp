#include "views/StandardViews.h"

#include "views/FrmAddByCategoryView.h"
#include "views/FrmAdjuctPriceView.h"
#include "views/FrmBillTotalsView.h"
#include "views/FrmBrowserView.h"
#include "views/FrmBulkChangeView.h"
#include "views/FrmCopyBillView.h"
#include "views/FrmImportLinesView.h"
#include "views/FrmPriceHistoryView.h"
#include "views/FrmReportView.h"
#include "views/FrmShelfLabelsView.h"
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
    // The editor's tool windows.
    registry.Register("FrmPriceHistory", [](ui::Window& w, QWidget* parent) -> std::unique_ptr<View> {
        return std::make_unique<FrmPriceHistoryView>(dynamic_cast<bill::FrmPriceHistory&>(w), parent);
    });
    registry.Register("FrmBillTotals", [](ui::Window& w, QWidget* parent) -> std::unique_ptr<View> {
        return std::make_unique<FrmBillTotalsView>(dynamic_cast<bill::FrmBillTotals&>(w), parent);
    });
    registry.Register("FrmBulkChange", [](ui::Window& w, QWidget* parent) -> std::unique_ptr<View> {
        return std::make_unique<FrmBulkChangeView>(dynamic_cast<bill::FrmBulkChange&>(w), parent);
    });
    registry.Register("FrmCopyBill", [](ui::Window& w, QWidget* parent) -> std::unique_ptr<View> {
        return std::make_unique<FrmCopyBillView>(dynamic_cast<bill::FrmCopyBill&>(w), parent);
    });
    registry.Register("FrmImportLines", [](ui::Window& w, QWidget* parent) -> std::unique_ptr<View> {
        return std::make_unique<FrmImportLinesView>(dynamic_cast<bill::FrmImportLines&>(w), parent);
    });
    registry.Register("FrmShelfLabels", [](ui::Window& w, QWidget* parent) -> std::unique_ptr<View> {
        return std::make_unique<FrmShelfLabelsView>(dynamic_cast<bill::FrmShelfLabels&>(w), parent);
    });
    registry.Register("FrmAddByCategory", [](ui::Window& w, QWidget* parent) -> std::unique_ptr<View> {
        return std::make_unique<FrmAddByCategoryView>(dynamic_cast<bill::FrmAddByCategory&>(w), parent);
    });
    registry.Register("FrmReport", [](ui::Window& w, QWidget* parent) -> std::unique_ptr<View> {
        return std::make_unique<FrmReportView>(dynamic_cast<report::FrmReport&>(w), parent);
    });
}

}  // namespace views
