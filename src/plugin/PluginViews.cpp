#include "plugin/PluginViews.h"

#include "ui/Toolkit.h"
#include "ui/qt/QtToolkit.h"
#include "ui/qt/StandardViews.h"

namespace plugin {

void PrepareWindowing() {
    if (ui::HasToolkit()) return;  // the host brought its own
    ui::qt::EnsureApplication();
    ui::qt::RegisterStandardViews();
    ui::qt::InstallQtToolkitIfNone();
}

}  // namespace plugin
