// Points the user's configuration folder (XDG_CONFIG_HOME) at a fresh temporary folder while it
// lives, so that the window sizes, folders and report settings a test program's windows keep
// never reach the operator's own files. Made in main(), before the application.
#pragma once
#include "support/ScratchDir.h"

namespace testing_support {

class PrivateConfigFolder {
public:
    PrivateConfigFolder() : dir_("spb-config") { ::setenv("XDG_CONFIG_HOME", dir_.Path().c_str(), 1); }

private:
    ScratchDir dir_;
};

}  // namespace testing_support
