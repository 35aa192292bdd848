// A database server of the suite's own killed under a save, an audit and the browser: one message, nothing half written.
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>

#include "EditorFixture.h"
#include "browser/FrmBrowser.h"
#include "support/ChildProcess.h"
#include "support/ScratchDir.h"

using namespace std::chrono_literals;
using bill::FrmAdjuctPrice;
using testing_support::ChildProcess;

namespace billtest {
namespace {

constexpr const char* kLost = "与数据库服务器的连接已断开";

class ServerFault : public Editor {
protected:
    static void SetUpTestSuite() {
        if (!testing_support::UnderPg()) return;
        Dir() = std::make_unique<testing_support::ScratchDir>("spb-pgfault");
        std::string out;
        ASSERT_EQ(Cluster("start", &out), 0) << out;
        std::ifstream env(*Dir() / "env");
        const std::string text((std::istreambuf_iterator<char>(env)), {});
        std::smatch m;
        ASSERT_TRUE(std::regex_search(text, m, std::regex("SPB_PG_CONNSTR='([^']*)'"))) << text;
        if (const char* shared = std::getenv("SPB_PG_CONNSTR")) SharedCluster() = shared;
        setenv("SPB_PG_CONNSTR", m[1].str().c_str(), 1);
        ASSERT_EQ(ChildProcess::Run(SPB_PG_TEMPLATES, {}, 120s, &out, true), 0) << out;
    }
    static void TearDownTestSuite() {
        if (!Dir()) return;
        Cluster("stop");
        setenv("SPB_PG_CONNSTR", SharedCluster().c_str(), 1);
        Dir().reset();
    }
    void SetUp() override {
        if (!testing_support::UnderPg()) GTEST_SKIP() << "a database server of the suite's own";
        data::Host().HostConnection->SetCommandTimeout(5);
    }

    static std::unique_ptr<testing_support::ScratchDir>& Dir() {
        static std::unique_ptr<testing_support::ScratchDir> dir;
        return dir;
    }
    static std::string& SharedCluster() {
        static std::string connStr;
        return connStr;
    }
    static int Cluster(const char* command, std::string* output = nullptr) {
        return ChildProcess::Run("/bin/bash", {SPB_SOURCE_DIR "/scripts/pg-cluster.sh", command, Dir()->Path().string()}, 120s,
                                 output, true);
    }
    static void Halt() { ASSERT_EQ(Cluster("halt"), 0); }
    // Starts the server again; the test's own connection was cut with the others.
    void Resume() {
        ASSERT_EQ(Cluster("resume"), 0);
        t.Db().Close();
        t.Db().Open(t.ConnStr());
    }

    void ExpectOneLossMessage(const char* when) {
        const auto texts = MessageTexts();
        ASSERT_EQ(texts.size(), 1u) << when;
        EXPECT_NE(texts[0].find(kLost), std::string::npos) << when << ": " << texts[0];
        t.Toolkit().ClearMessages();
    }
};

TEST_F(ServerFault, ASaveCutOffMidwayLeavesNothingAndTheNextSaveConnectsAgain) {
    Open("", [&](FrmAdjuctPrice& w) {
        w.TxtDwbh.SetText("001");
        EXPECT_TRUE(Meanwhile("insert into SubAdjuctPricemx", Halt, [&] { EnterLine(w, "A1", 6.8); }));
        ExpectOneLossMessage("the save");
        Resume();
        EXPECT_EQ(Count("select count(*) from SubAdjuctPrice"), 0) << "the header went with the line";
        EnterLine(w, "A1", 6.8);
        EXPECT_TRUE(MessageTexts().empty()) << MessageTexts().front();
        EXPECT_EQ(Scalar("select sj2 from SubAdjuctPricemx where lsh='" + w.TxtLSH.Text() + "'"), "6.8");
    });
    EXPECT_EQ(Count("select count(*) from SubAdjuctPrice"), 1);
}

TEST_F(ServerFault, AnAuditCutOffMidwaySetsNoPriceAndNoFlag) {
    Bill("1", "001", 0, {"A1", "6", "X", "7"});
    Open("1", [&](FrmAdjuctPrice& w) {
        EXPECT_TRUE(Meanwhile("INSERT INTO GLPRICE", Halt, [&] { w.AuditBill("1"); }));
        ExpectOneLossMessage("the audit");
        Resume();
        EXPECT_EQ(t.Joined("select shbz from SubAdjuctPrice union all select sellprice from glprice order by 1"), "0 4 5.5");
        w.AuditBill("1");
        EXPECT_TRUE(MessageTexts().empty()) << MessageTexts().front();
    });
    EXPECT_EQ(Scalar("select shbz from SubAdjuctPrice where lsh='1'"), "1");
    EXPECT_EQ(Scalar("select sellprice from glprice where hh='X' and dwbh='001'"), "7");
}

TEST_F(ServerFault, AStoppedServerCostsTheBrowserOneMessagePerCommandAndNoWait) {
    t.Grant("0001", "查看所有用户");
    Bill("2", "001", 0, {"A1", "6"});
    browser::FrmBrowser w;
    t.Toolkit().OnShow("FrmBrowser", [&](ui::Window&) {
        Halt();
        for (int command = 1; command <= 2; ++command) {
            const auto start = std::chrono::steady_clock::now();
            w.RefreshList();
            EXPECT_LT(std::chrono::steady_clock::now() - start, 5s) << "refresh " << command;
            ExpectOneLossMessage(command == 1 ? "the first refresh" : "the second refresh");
        }
        Resume();
        w.RefreshList();
        EXPECT_TRUE(MessageTexts().empty()) << MessageTexts().front();
        EXPECT_EQ(w.Vs.Rows(), 2) << "bill 2 listed again";
    });
    w.ShowModal();
}

}  // namespace
}  // namespace billtest
