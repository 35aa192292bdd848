// Registers the host program's components (rights, lookup window, print engine, reprint, report
// grid) with the component factory that the plug-in creates them from.
#pragma once
#include <string>

namespace app {

void RegisterHostComponents(const std::string& outputFolder);

}  // namespace app
