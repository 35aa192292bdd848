// Makes the plug-in's windows showable: the application object, the Qt toolkit (unless the host
// installed one) and the views of the plug-in's windows.
#pragma once

namespace plugin {

void PrepareWindowing();

}  // namespace plugin
