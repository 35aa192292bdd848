// Start-up without a display, with a bad command line, an unusual data folder or a database that
// cannot be opened: a clear message and an exit code, never an abort, a hang or a half-made demo.
#include <gtest/gtest.h>

#include <filesystem>
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

// The host program (or another) run through env(1) with the variables `env` sets ("NAME=value")
// or removes ("-u", "NAME").
int Start(std::vector<std::string> env, const std::vector<std::string>& args, std::string& output,
        const std::string& program = SPB_HOST_PROGRAM) {
    env.push_back(program);
    env.insert(env.end(), args.begin(), args.end());
    return ChildProcess::Run("/usr/bin/env", env, 120s, &output, true);
}
const std::vector<std::string> kNoDisplay{"-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "-u", "QT_QPA_PLATFORM"};

// A display number nobody serves.
std::string DeadDisplay() {
    for (int n = 1999;; ++n)
        if (!fs::exists("/tmp/.X11-unix/X" + std::to_string(n))) return ":" + std::to_string(n);
}

class Startup : public ::testing::Test {
protected:
    testing_support::ScratchDir scratch{"spb-startup"};
    const fs::path& dir = scratch.Path();
};

}  // namespace

TEST_F(Startup, HelpNeedsNeitherADisplayNorThePlugin) {
    auto env = kNoDisplay;
    env.push_back("SPB_PLUGIN=/nonexistent/libsubpricebill.so");
    std::string out;
    EXPECT_EQ(Start(env, {"--help"}, out), 0) << out;
    EXPECT_NE(out.find("用法"), std::string::npos) << out;
}

TEST_F(Startup, WithoutADisplayTheHostStopsBeforeAnythingElse) {
    const fs::path demo = dir / "demo.db";
    for (const std::string& display : {std::string(), "DISPLAY=" + DeadDisplay()}) {
        auto env = kNoDisplay;
        if (!display.empty()) env.push_back(display);
        std::string out;
        EXPECT_EQ(Start(env, {"--demo-db", demo.string()}, out), 3) << out;
        EXPECT_NE(out.find("无法显示窗口"), std::string::npos) << out;
        EXPECT_FALSE(fs::exists(demo)) << "the demo database was made before the display was checked";
    }
}

TEST_F(Startup, WithoutADisplayThePluginReportsAndReturns) {
    TestDatabase t;
    std::string out;
    EXPECT_EQ(Start(kNoDisplay, {SPB_PLUGIN_FILE, t.ConnStr()}, out, SPB_PLUGIN_PROBE), 0) << out;
    EXPECT_TRUE(out.find("无法显示窗口") != std::string::npos && out.find("returned") != std::string::npos) << out;
}

TEST_F(Startup, TimeoutMustBeANumberOfSeconds) {
    for (const char* bad : {"40000", "5s"}) {
        std::string out;
        EXPECT_EQ(Start({}, {"--timeout", bad, "--check"}, out), 2) << bad;
        EXPECT_NE(out.find("--timeout 应为 0 到 32767 之间的整数秒数"), std::string::npos) << out;
    }
}

TEST_F(Startup, ADataFolderWithASemicolonStillReachesItsDemoDatabase) {
    const fs::path data = dir / "a;b 'c\" {d}";
    std::string out;
    ASSERT_EQ(Start({"XDG_DATA_HOME=" + data.string()}, {"--check"}, out), 0) << out;
    EXPECT_TRUE(fs::exists(data / "subpricebill" / "demo.db"));
    ASSERT_EQ(Start({"XDG_DATA_HOME=" + data.string()}, {"--check"}, out), 0) << "and opens it again: " << out;
}

TEST_F(Startup, AConnectionThatCannotBeOpenedEndsWithANonZeroCode) {
    const std::string bad = "Provider=SQLite;Data Source=" + (dir / "missing.db").string() + ";Password=hunter2";
    std::string out;
    EXPECT_EQ(Start({}, {"--connection", bad, "--check"}, out), 1) << out;
    EXPECT_TRUE(out.find("无法连接数据库") != std::string::npos && out.find("hunter2") == std::string::npos) << out;
}

TEST_F(Startup, InitDemoNeedsAConnectionAndRefusesADatabaseWithHostTables) {
    std::string out;
    EXPECT_EQ(Start({}, {"--init-demo"}, out), 2) << out;
    EXPECT_NE(out.find("--init-demo 需要用 --connection 指定数据库"), std::string::npos) << out;
    TestDatabase t;
    EXPECT_EQ(Start({}, {"--connection", t.ConnStr(), "--init-demo"}, out), 1) << out;
    EXPECT_NE(out.find("该数据库中已有主机数据表"), std::string::npos) << out;
    EXPECT_EQ(t.Scalar("select count(*) from sys_var"), "0");
}
