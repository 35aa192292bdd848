// Makes the plug-in's windows showable: the Qt toolkit and its application object, unless the
// host installed a toolkit of its own; and takes the application down again when the plug-in
// created it.
#pragma once
#include <string>

namespace plugin {

// Empty when windows can be shown; otherwise why not (no display, a host application without
// windows), and nothing has been started: Qt is not asked to connect to a display it cannot reach.
std::string PrepareWindowing();
// After the last entry object is released: destroys an application the plug-in created, so that
// it does not outlive Qt at process exit.
void FinishWindowing();

}  // namespace plugin
