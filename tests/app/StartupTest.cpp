// Start-up of the host program and of the plug-in without a display, with a bad command line, with
// an unusual data folder and with a database that cannot be opened: a clear message and an exit
// code, never an abort, a hang or a half-made demo database.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "support/ChildProcess.h"
#include "support/ScratchDir.h"
#include "support/TestDatabase.h"

using namespace std::chrono_literals;
using testing_support::ChildProcess;
using testing_support::TestDatabase;
namespace fs = std::filesystem;

namespace {

// Sets or (nullopt) removes environment variables for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(std::initializer_list<std::pair<const char*, std::optional<std::string>>> vars) {
        for (const auto& [name, value] : vars) {
            const char* old = std::getenv(name);
            saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
            if (value) setenv(name, value->c_str(), 1);
            else unsetenv(name);
        }
    }
    ~ScopedEnv() {
        for (const auto& [name, value] : saved_) {
            if (value) setenv(name.c_str(), value->c_str(), 1);
            else unsetenv(name.c_str());
        }
    }

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

// A display number nobody serves.
std::string DeadDisplay() {
    for (int n = 1999;; ++n)
        if (!fs::exists("/tmp/.X11-unix/X" + std::to_string(n))) return ":" + std::to_string(n);
}

int Host(const std::vector<std::string>& args, std::string& output) {
    return ChildProcess::Run(SPB_HOST_PROGRAM, args, 120s, &output, true);
}

class Startup : public ::testing::Test {
protected:
    testing_support::ScratchDir scratch{"spb-startup"};
    const fs::path& dir = scratch.Path();
};

}  // namespace

TEST_F(Startup, HelpNeedsNeitherADisplayNorThePlugin) {
    ScopedEnv env{{"DISPLAY", std::nullopt}, {"WAYLAND_DISPLAY", std::nullopt}, {"QT_QPA_PLATFORM", std::nullopt},
                  {"SPB_PLUGIN", "/nonexistent/libsubpricebill.so"}};
    std::string out;
    EXPECT_EQ(Host({"--help"}, out), 0) << out;
    EXPECT_NE(out.find("用法"), std::string::npos) << out;
}

TEST_F(Startup, WithoutADisplayTheHostStopsBeforeAnythingElse) {
    const fs::path demo = dir / "demo.db";
    for (const auto& display : {std::optional<std::string>(), std::optional<std::string>(DeadDisplay())}) {
        ScopedEnv env{{"DISPLAY", display}, {"WAYLAND_DISPLAY", std::nullopt}, {"QT_QPA_PLATFORM", std::nullopt}};
        std::string out;
        EXPECT_EQ(Host({"--demo-db", demo.string()}, out), 3) << out;
        EXPECT_NE(out.find("无法显示窗口"), std::string::npos) << out;
        EXPECT_FALSE(fs::exists(demo)) << "the demo database was made before the display was checked";
    }
}

TEST_F(Startup, WithoutADisplayThePluginReportsAndReturns) {
    TestDatabase t;
    ScopedEnv env{{"DISPLAY", std::nullopt}, {"WAYLAND_DISPLAY", std::nullopt}, {"QT_QPA_PLATFORM", std::nullopt}};
    std::string out;
    EXPECT_EQ(ChildProcess::Run(SPB_PLUGIN_PROBE, {SPB_PLUGIN_FILE, t.ConnStr()}, 60s, &out, true), 0) << out;
    EXPECT_NE(out.find("无法显示窗口"), std::string::npos) << out;
    EXPECT_NE(out.find("returned"), std::string::npos) << out;
}

TEST_F(Startup, TimeoutMustBeANumberOfSeconds) {
    for (const char* bad : {"abc", "-1", "40000", "5s", ""}) {
        std::string out;
        EXPECT_EQ(Host({"--timeout", bad, "--check"}, out), 2) << bad;
        EXPECT_NE(out.find("--timeout 应为 0 到 32767 之间的整数秒数"), std::string::npos) << out;
    }
}

TEST_F(Startup, ADataFolderWithASemicolonStillReachesItsDemoDatabase) {
    const fs::path data = dir / "a;b 'c\" {d}";
    ScopedEnv env{{"XDG_DATA_HOME", data.string()}};
    std::string out;
    ASSERT_EQ(Host({"--check"}, out), 0) << out;
    EXPECT_TRUE(fs::exists(data / "subpricebill" / "demo.db"));
    ASSERT_EQ(Host({"--check"}, out), 0) << "and opens it again: " << out;
}

TEST_F(Startup, AConnectionThatCannotBeOpenedEndsWithANonZeroCode) {
    const std::string bad = "Provider=SQLite;Data Source=" + (dir / "missing.db").string() + ";Password=hunter2";
    std::string out;
    EXPECT_EQ(Host({"--connection", bad, "--check"}, out), 1) << out;
    EXPECT_NE(out.find("无法连接数据库"), std::string::npos) << out;
    EXPECT_EQ(out.find("hunter2"), std::string::npos) << out;
    // Without --check the plug-in's message box tells the operator first: tests/e2e answers it.
}

TEST_F(Startup, InitDemoNeedsAConnectionAndRefusesADatabaseWithHostTables) {
    std::string out;
    EXPECT_EQ(Host({"--init-demo"}, out), 2) << out;
    EXPECT_NE(out.find("--init-demo 需要用 --connection 指定数据库"), std::string::npos) << out;
    TestDatabase t;
    EXPECT_EQ(Host({"--connection", t.ConnStr(), "--init-demo"}, out), 1) << out;
    EXPECT_NE(out.find("该数据库中已有主机数据表"), std::string::npos) << out;
    EXPECT_EQ(t.Scalar("select count(*) from sys_var"), "0");
}
