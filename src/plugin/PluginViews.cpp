#include "plugin/PluginViews.h"

#include "ui/qt/QtToolkit.h"

namespace plugin {

void PrepareWindowing() {
    // Creates the application and registers the views unless the host brought a toolkit of its own.
    ui::qt::InstallQtToolkitIfNone();
}

}  // namespace plugin
