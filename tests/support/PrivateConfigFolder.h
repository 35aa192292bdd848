// Points the user's configuration folder (XDG_CONFIG_HOME) at a fresh temporary folder while it
// lives, so that the window sizes, folders and report settings a test program's windows keep
// never reach the operator's own files. Made in main(), before the application.
#pragma once
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace testing_support {

class PrivateConfigFolder {
public:
    PrivateConfigFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "spb-config-XXXXXX").string();
        if (::mkdtemp(pattern.data())) {
            path_ = pattern;
            ::setenv("XDG_CONFIG_HOME", path_.c_str(), 1);
        }
    }
    ~PrivateConfigFolder() {
        std::error_code ec;
        if (!path_.empty()) std::filesystem::remove_all(path_, ec);
    }
    PrivateConfigFolder(const PrivateConfigFolder&) = delete;
    PrivateConfigFolder& operator=(const PrivateConfigFolder&) = delete;

private:
    std::string path_;
};

}  // namespace testing_support
