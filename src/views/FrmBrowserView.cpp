#include "views/FrmBrowserView.h"

#include <QVBoxLayout>

#include "ui/Twips.h"
#include "ui/qt/GridBinding.h"
#include "ui/qt/MenuBarBinding.h"
#include "ui/qt/StatusBarBinding.h"
#include "ui/qt/ToolbarBinding.h"

namespace views {
using namespace ui::qt;
using ui::kTwipsPerPixel;

FrmBrowserView::FrmBrowserView(browser::FrmBrowser& window, QWidget* parent) : View(window, parent), window_(window) {
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                   Qt::WindowCloseButtonHint);

    menuBar_ = new QMenuBar(this);
    toolBar_ = new QToolBar(this);
    grid_ = new GridView(this);
    statusBar_ = new QStatusBar(this);
    menuBar_->setObjectName(QStringLiteral("Menu"));
    toolBar_->setObjectName(QStringLiteral("Toolbar"));
    grid_->setObjectName(QStringLiteral("Vs"));
    statusBar_->setObjectName(QStringLiteral("StatusBar"));
    statusBar_->setSizeGripEnabled(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(menuBar_);
    layout->addWidget(toolBar_);
    layout->addWidget(grid_, 1);
    layout->addWidget(statusBar_);

    menuBinding_ = &Adopt(std::make_unique<MenuBarBinding>(window.Menu, menuBar_));
    toolbarBinding_ = &Adopt(std::make_unique<ToolbarBinding>(window.Toolbar, toolBar_));
    Adopt(std::make_unique<GridBinding>(window.Vs, grid_));
    statusBinding_ = &Adopt(std::make_unique<StatusBarBinding>(window.StatusBar, statusBar_));

    resize(900, 600);
}

void FrmBrowserView::BeforeResize() { window_.Toolbar.SetHeight(toolBar_->height() * kTwipsPerPixel); }

}  // namespace views
