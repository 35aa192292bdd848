#include "plugin/PluginViews.h"

#include "ui/Toolkit.h"
#include "ui/qt/Application.h"
#include "ui/qt/QtToolkit.h"
#include "views/StandardViews.h"

namespace plugin {
namespace {
bool OurToolkitInstalled() { return ui::HasToolkit() && dynamic_cast<ui::qt::QtToolkit*>(&ui::CurrentToolkit()); }
}  // namespace

void PrepareWindowing() {
    views::RegisterStandardViews();
    ui::qt::InstallQtToolkitIfNone();
    // An earlier run may have taken its application down.
    if (OurToolkitInstalled()) ui::qt::EnsureApplication();
}

void FinishWindowing() {
    if (OurToolkitInstalled()) ui::qt::ReleaseOwnedApplication();
}

}  // namespace plugin
