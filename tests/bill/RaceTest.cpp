// Another operator's session on a connection of its own, its transaction committed from a thread while the editor waits.
#include <atomic>
#include <chrono>
#include <thread>

#include "EditorFixture.h"
#include "browser/FrmBrowser.h"

using billtest::Editor;
using bill::FrmAdjuctPrice;
using namespace std::chrono_literals;

namespace {

const char* kPrices = "select HH,DWBH,SELLPRICE from glprice order by HH, DWBH";

// Statements sent in a transaction left open until committed: at once through Db(), or from a
// thread by CommitAfter (after one more statement, if given; a deadlock's victim rolls back).
class OtherSession {
public:
    explicit OtherSession(const std::string& connStr) : connStr_(connStr) { c_.Open(connStr); }
    ~OtherSession() { Finish(); }
    void Begin(const std::vector<std::string>& statements) {
        c_.BeginTrans();
        for (const auto& s : statements) c_.Execute(s);
    }
    // On a server the pause lasts until a session of this database waits for a lock (ours, at most
    // ten seconds; a loaded machine can take longer than the pause to get there) or Finish is called.
    void CommitAfter(std::chrono::milliseconds pause, std::string statement = "") {
        committer_ = std::thread([this, pause, statement = std::move(statement)] {
            std::this_thread::sleep_for(pause);
            try {
                if (testing_support::UnderPg()) WaitForALockWaiter();
                if (!statement.empty()) c_.Execute(statement);
                c_.CommitTrans();
            } catch (...) {
                try { c_.RollbackTrans(); } catch (...) {}
            }
        });
    }
    void Finish() {
        finishing_ = true;
        if (committer_.joinable()) committer_.join();
    }
    db::Connection& Db() { return c_; }

private:
    void WaitForALockWaiter() {
        db::Connection probe;
        probe.Open(connStr_);
        for (auto end = std::chrono::steady_clock::now() + 10s; !finishing_ && std::chrono::steady_clock::now() < end;) {
            auto rs = probe.OpenRecordset(
                "select count(*) from pg_stat_activity where datname=current_database() and wait_event_type='Lock'");
            if (rs.Get(0).ToDouble() > 0) return;
            std::this_thread::sleep_for(20ms);
        }
    }

    std::string connStr_;
    db::Connection c_;
    std::thread committer_;
    std::atomic<bool> finishing_ = false;
};

// Another operator's audit of bill `lsh` for branch 001, statement by statement.
std::vector<std::string> OtherAudit(const std::string& lsh) {
    return {"UPDATE SubAdjuctPrice SET SHBZ=1,SHRY='乙' WHERE LSH='" + lsh + "' and isnull(SHBZ,0)=0",
            "Update a set a.sellprice=b.sj2 from glprice a inner join (select * from SubAdjuctPriceMX where lsh='" + lsh +
                "') b on a.hh=b.hh where a.dwbh='001'",
            "INSERT INTO GLPRICE (HH,DWBH,SJ,ZK,SELLPRICE ) SELECT HH,'001',0,0,SJ2 FROM SubAdjuctPriceMX m where m.lsh='" + lsh +
                "' and not exists (select 1 from glprice g where g.hh=m.hh and g.dwbh='001')"};
}

}  // namespace

TEST_F(Editor, AnAuditAndAnotherSessionsSaveOrDeleteOfTheBillNeverMeetHalfWay) {
    struct Case {
        const char* name;
        std::vector<std::string> other;  // the other session's statements, committed while the audit waits
        std::vector<std::string> messages;
        std::string prices;
        std::string header;  // shbz|shry of bill 1, if it is there
    };
    const Case cases[] = {
        {"a save adding a line, under way when the audit starts",
         {"update SubAdjuctPrice set bz='乙改' where lsh='1' and isnull(shbz,0)=0",
          "insert into SubAdjuctPricemx (lsh,dh,hh,pm,sj1,sj2) values ('1','200','B2','p',4,4.4)"},
         {},
         "A1|001|6 B2|001|4.4",
         "1|系统管理员"},
        {"a browser delete under way when the audit starts",
         {"DELETE FROM SubAdjuctPrice WHERE LSH='1' AND ISNULL(SHBZ,0)=0", "Delete From SubAdjuctPriceMX WHERE LSH='1'"},
         {"此单据不存在，不能审核!"},
         "A1|001|5.5 B2|001|4",
         ""},
        {"another audit under way",
         OtherAudit("1"),
         {"此单据已审核，不能重复审核!"},
         "A1|001|6 B2|001|4",
         "1|乙"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        t.Exec("delete from SubAdjuctPrice");
        t.Exec("delete from SubAdjuctPricemx");
        t.Exec("update glprice set SELLPRICE=5.5 where HH='A1'");
        t.Exec("update glprice set SELLPRICE=4 where HH='B2'");
        t.Toolkit().ClearMessages();
        Bill("1", "001", 0, {"A1", "6"});
        OtherSession other(t.ConnStr());
        other.Begin(c.other);
        Open("1", [&](FrmAdjuctPrice& w) {
            other.CommitAfter(300ms);
            w.AuditBill("1");
        });
        other.Finish();
        EXPECT_EQ(MessageTexts(), c.messages);
        EXPECT_EQ(t.Joined(kPrices, "|"), c.prices);
        EXPECT_EQ(t.Joined("select shbz,shry from SubAdjuctPrice where lsh='1'", "|"), c.header);
    }
}

TEST_F(Editor, ASaveOrABrowserDeleteWaitingForAnAuditFindsTheBillAudited) {
    Bill("1", "001", 0, {"A1", "6"});
    {
        OtherSession other(t.ConnStr());
        other.Begin(OtherAudit("1"));
        Open("1", [&](FrmAdjuctPrice& w) {
            other.CommitAfter(300ms);
            w.TxtBZ.SetText("改");
            EnterLine(w, "B2", 4.4);
        });
    }
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"此单据已审核，不能修改!"});
    EXPECT_EQ(Count("select count(*) from SubAdjuctPricemx where lsh='1'"), 1);
    EXPECT_EQ(Scalar("select bz||shbz from SubAdjuctPrice where lsh='1'"), "r1");

    Bill("2", "001", 0, {"A1", "7"});
    t.Toolkit().ClearMessages();
    {
        OtherSession other(t.ConnStr());
        other.Begin(OtherAudit("2"));
        other.CommitAfter(300ms);
        browser::FrmBrowser b;
        b.DeleteBill("2");
    }
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"此单据已审核，不能删除！（流水号：2）"});
    EXPECT_EQ(Count("select count(*) from SubAdjuctPricemx where lsh='2'"), 1);
    EXPECT_EQ(t.Joined(kPrices, "|"), "A1|001|7 B2|001|4");
}

TEST_F(Editor, TwoSavesAddingLinesToOneBillDrawDifferentLineNumbers) {
    Bill("1", "001", 0, {"A1", "6"});
    {
        OtherSession other(t.ConnStr());
        other.Begin({"update SubAdjuctPrice set bz='乙' where lsh='1' and isnull(shbz,0)=0",
                     "insert into SubAdjuctPricemx (lsh,dh,hh,pm,sj1,sj2) values ('1','200','X','p',1,12.5)"});
        Open("1", [&](FrmAdjuctPrice& w) {
            other.CommitAfter(300ms);
            EnterLine(w, "B2", 4.4);
        });
    }
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{});
    EXPECT_EQ(t.Joined("select dh,hh from SubAdjuctPricemx where lsh='1' order by hh", "|"),
              "100|A1 300|B2 200|X");
}

TEST_F(Editor, TwoAuditsAddingTheSamePriceRowBothEndAudited) {
    Bill("1", "001", 0, {"X", "12.5", "A1", "6"});
    Bill("2", "001", 0, {"X", "12.5"});
    {
        OtherSession other(t.ConnStr());
        other.Begin(OtherAudit("2"));
        Open("1", [&](FrmAdjuctPrice& w) {
            other.CommitAfter(300ms);
            w.AuditBill("1");
        });
    }
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{});
    EXPECT_EQ(t.Joined(kPrices, "|"), "A1|001|6 B2|001|4 X|001|12.5");
    EXPECT_EQ(t.Joined("select lsh,shbz from SubAdjuctPrice order by lsh", "|"), "1|1 2|1");
}

TEST_F(Editor, TwoNewBillsDrawingOneSerialAreBothStoredWholeAfterTheRetry) {
    if (!testing_support::UnderPg()) GTEST_SKIP() << "SQLite lets no other writer in while the save draws its serial";
    for (const bool waits : {false, true}) {
        SCOPED_TRACE(waits ? "the other commits while the editor waits" : "the other commits before the insert");
        t.Exec("delete from SubAdjuctPrice");
        t.Exec("delete from SubAdjuctPricemx");
        t.Toolkit().ClearMessages();
        OtherSession other(t.ConnStr());
        Open("", [&](FrmAdjuctPrice& w) {
            w.TxtDwbh.SetText("001");
            w.TxtBZ.SetText("B");
            const bool planted = Meanwhile("max( (cast(dh", [&] {
                const std::string lsh = bill::Shared().CurrentLsh;
                other.Begin({"insert into SubAdjuctPrice (lsh,kdrq,bz,czry,shbz,jzbz,dwbh) values ('" + lsh +
                                 "','2026-11-01','A','甲',0,0,'002')",
                             "insert into SubAdjuctPricemx (lsh,dh,hh,sj1,sj2) values ('" + lsh + "','100','X',1,1)"});
                if (waits) other.CommitAfter(300ms);
                else other.Db().CommitTrans();
            }, [&] { EnterLine(w, "A1", 2); });
            other.Finish();
            ASSERT_TRUE(planted);
            w.Cmd_Save.Click();
            EXPECT_EQ(w.TxtLSH.Text(), "2");
        });
        ASSERT_EQ(MessageTexts().size(), 1u);
        EXPECT_NE(MessageTexts()[0].find("有另一个操作员同时建立了信息"), std::string::npos) << MessageTexts()[0];
        EXPECT_EQ(t.Joined("select a.lsh,a.bz,a.dwbh,b.hh from SubAdjuctPrice a join SubAdjuctPricemx b on a.lsh=b.lsh order by a.lsh", "|"),
                  "1|A|002|X 2|B|001|A1");
    }
}

TEST_F(Editor, AnAuditBlockedByALockGivesUpAndADeadlockVictimTriesOnceMore) {
    if (!testing_support::UnderPg()) GTEST_SKIP() << "a server's row locks and deadlock detection";
    Bill("1", "001", 0, {"A1", "6"});
    {
        OtherSession other(t.ConnStr());
        other.Begin({"update SubAdjuctPrice set bz='乙' where lsh='1'"});
        Open("1", [&](FrmAdjuctPrice& w) {
            data::Host().HostConnection->SetCommandTimeout(1);
            w.AuditBill("1");
            data::Host().HostConnection->SetCommandTimeout(0);
        });
        other.Db().RollbackTrans();
    }
    ASSERT_EQ(MessageTexts().size(), 1u);
    EXPECT_EQ(MessageTexts()[0].rfind("数据库正忙", 0), 0u) << MessageTexts()[0];
    EXPECT_EQ(Scalar("select shbz from SubAdjuctPrice where lsh='1'"), "0");

    // The other holds A1's price row, the audit claims the header and waits for that row, the other
    // then wants the header: one of the two is the victim. Either way the audit ends done.
    t.Toolkit().ClearMessages();
    {
        OtherSession other(t.ConnStr());
        other.Begin({"update glprice set SJ=9 where HH='A1' and DWBH='001'"});
        Open("1", [&](FrmAdjuctPrice& w) {
            other.CommitAfter(300ms, "update SubAdjuctPrice set bz='乙' where lsh='1'");
            w.AuditBill("1");
        });
        other.Finish();
    }
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{});
    EXPECT_EQ(Scalar("select shbz from SubAdjuctPrice where lsh='1'"), "1");
    EXPECT_EQ(Scalar("select SELLPRICE from glprice where HH='A1' and DWBH='001'"), "6");
}

TEST_F(Editor, ABrowserDeletePickedByADeadlockIsReportedOnceAndDeletesNothing) {
    if (!testing_support::UnderPg()) GTEST_SKIP() << "a server's row locks and deadlock detection";
    Bill("1", "001", 0, {"A1", "6", "B2", "4"});
    {
        // The other holds a line, the delete takes the header and waits for that line, the other
        // then wants the header.
        OtherSession other(t.ConnStr());
        other.Begin({"update SubAdjuctPricemx set sj2=7 where lsh='1' and hh='B2'"});
        other.CommitAfter(300ms, "update SubAdjuctPrice set bz='乙' where lsh='1'");
        browser::FrmBrowser b;
        b.DeleteBill("1");
        other.Finish();
    }
    ASSERT_EQ(MessageTexts().size(), 1u);
    EXPECT_EQ(MessageTexts()[0].rfind("数据库发生死锁", 0), 0u) << MessageTexts()[0];
    EXPECT_EQ(t.Joined("select bz from SubAdjuctPrice where lsh='1'", "|"), "乙");
    EXPECT_EQ(t.Joined("select hh,sj2 from SubAdjuctPricemx where lsh='1' order by hh", "|"), "A1|6 B2|7");
}
