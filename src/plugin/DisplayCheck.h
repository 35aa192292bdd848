// Whether this process can show windows before Qt is asked to: Qt aborts the whole process when
// its platform cannot connect to a display, which a plug-in must never do to its host. Used by the
// plug-in and by the host program, both before anything else.
#pragma once
#include <string>

namespace plugin {

// Empty when windows can be shown: Qt's platform needs no display ("offscreen", "minimal", ...)
// or the X11 or Wayland display it would use answers. Otherwise why not, in Chinese.
std::string DisplayProblem();

}  // namespace plugin
