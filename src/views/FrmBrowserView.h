// The dialog of the bill browser (browser::FrmBrowser): menu bar, toolbar, the list filling the
// middle and a two-panel status bar. Resizable, with a maximise button.
#pragma once
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

#include "browser/FrmBrowser.h"
#include "ui/qt/GridView.h"
#include "ui/qt/View.h"

namespace ui::qt {
class GridBinding;
class MenuBarBinding;
class StatusBarBinding;
class ToolbarBinding;
}  // namespace ui::qt

namespace views {

class FrmBrowserView : public ui::qt::View {
    Q_OBJECT
public:
    FrmBrowserView(browser::FrmBrowser& window, QWidget* parent = nullptr);

    QMenuBar* MenuBar() const { return menuBar_; }
    QToolBar* ToolBar() const { return toolBar_; }
    ui::qt::GridView* Grid() const { return grid_; }
    QStatusBar* StatusBar() const { return statusBar_; }
    const ui::qt::ToolbarBinding& ToolbarBound() const { return *toolbarBinding_; }
    const ui::qt::MenuBarBinding& MenuBound() const { return *menuBinding_; }
    const ui::qt::StatusBarBinding& StatusBound() const { return *statusBinding_; }

protected:
    void BeforeResize() override;

private:
    browser::FrmBrowser& window_;
    QMenuBar* menuBar_;
    QToolBar* toolBar_;
    ui::qt::GridView* grid_;
    QStatusBar* statusBar_;
    ui::qt::ToolbarBinding* toolbarBinding_;
    ui::qt::MenuBarBinding* menuBinding_;
    ui::qt::StatusBarBinding* statusBinding_;
};

}  // namespace views
