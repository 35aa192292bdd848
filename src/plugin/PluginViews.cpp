#include "plugin/PluginViews.h"

#include <QApplication>

#include "plugin/DisplayCheck.h"
#include "ui/Toolkit.h"
#include "ui/qt/Application.h"
#include "ui/qt/QtToolkit.h"
#include "views/StandardViews.h"

namespace plugin {
namespace {
bool OurToolkitInstalled() { return ui::HasToolkit() && dynamic_cast<ui::qt::QtToolkit*>(&ui::CurrentToolkit()); }
}  // namespace

std::string PrepareWindowing() {
    views::RegisterStandardViews();
    if (!ui::HasToolkit() || OurToolkitInstalled()) {
        // Qt's windows need a QApplication; creating one without a display aborts the process.
        QCoreApplication* app = QCoreApplication::instance();
        if (app && !qobject_cast<QApplication*>(app))
            return "无法显示窗口：宿主程序的 Qt 应用对象不是图形界面应用（QApplication）。";
        if (!app) {
            if (std::string problem = DisplayProblem(); !problem.empty()) return problem;
        }
    }
    ui::qt::InstallQtToolkitIfNone();
    // An earlier run may have taken its application down.
    if (OurToolkitInstalled()) ui::qt::EnsureApplication();
    return {};
}

void FinishWindowing() {
    if (OurToolkitInstalled()) ui::qt::ReleaseOwnedApplication();
}

}  // namespace plugin
