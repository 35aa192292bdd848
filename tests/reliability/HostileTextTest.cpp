// Every text an operator or another program may put where the dialog and the browser take text
// from — the operator's name, a bill's serial and remark as stored by another program — is shown
// and used exactly as it is, and no statement is changed by it. (The branch-mode dialog has no text
// field; its choice is a pair of option buttons.)
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "browser/FrmBrowser.h"
#include "data/HostContext.h"
#include "data/QueryRoutines.h"
#include "support/TestDatabase.h"

using data::EscapeQuote;
using testing_support::TestDatabase;

namespace {

std::vector<std::string> HostileTexts() {
    return {
        "O'Neil",  "''", "'", "\"", "\"quoted\"", "‘curly’ “double”", "`back`", "[bracket]", "a]b[c",
        ";", "1; delete from SubAdjuctPrice; --", "x' or '1'='1", "--", "-- comment", "/*", "/* open", "*/",
        "\\", "a\\'b", "C:\\temp\\", "\\\\server\\share",
        std::string(10000, 'x'), std::string(3000, 'q') + "'" + std::string(3000, 'q'),
        "", " ", "  lead", "trail  ", " both ", "\ttab",
        "Ünïcödé Café", "Привет, мир", "مرحبا بالعالم", "שלום", "😀👍🏽👨‍👩‍👧", "e\u0301 a\u0308 n\u0303",
        "混合 mixed Текст 😀 'quote'",
    };
}

std::string Shown(const std::string& s) { return s.size() > 40 ? s.substr(0, 40) + "…(" + std::to_string(s.size()) + ")" : s; }

class HostileText : public ::testing::Test {
protected:
    HostileText() : t(false) {}
    void SetUp() override { data::Host().BranchMode = data::ByBranch; }

    void Bill(const std::string& lsh, const std::string& czry, const std::string& bz) {
        t.Exec("insert into SubAdjuctPrice (lsh,kdrq,bz,czry,fyear,fperiod,shbz,shry,jzbz,dwbh,bz5) values ('" +
               EscapeQuote(lsh) + "','2026-12-06','" + EscapeQuote(bz) + "','" + EscapeQuote(czry) + "',0,0,0,'',0,'001','')");
        t.Exec("insert into SubAdjuctPricemx (lsh,dh,hh,pm,sj1,sj2) values ('" + EscapeQuote(lsh) + "','100','A1','p',1,2)");
    }

    // Shows the browser and runs `act` on it.
    void InBrowser(const std::function<void(browser::FrmBrowser&)>& act) {
        browser::FrmBrowser w;
        t.Toolkit().OnShow("FrmBrowser", [&](ui::Window&) { act(w); });
        w.ShowModal();
    }

    std::vector<std::string> OkMessages() {
        std::vector<std::string> shown;
        for (const auto& m : t.Toolkit().Messages())
            if (m.message.buttons == ui::Buttons::Ok) shown.push_back(m.message.text);
        return shown;
    }

    TestDatabase t;
};

}  // namespace

// The operator's name filters the list (an operator without the right to see all bills sees his
// own): a name with quotes or SQL in it finds exactly his bill, shown as stored.
TEST_F(HostileText, OperatorNameListsExactlyHisBills) {
    const auto texts = HostileTexts();
    for (size_t i = 0; i < texts.size(); ++i) Bill(std::to_string(100 + i), texts[i], texts[i]);
    Bill("999", "别人", "decoy");
    for (size_t i = 0; i < texts.size(); ++i) {
        SCOPED_TRACE("operator " + Shown(texts[i]));
        t.CloseHostConnection();
        t.OpenHostConnection("0009", texts[i]);
        InBrowser([&](browser::FrmBrowser& w) {
            ASSERT_EQ(w.Vs.Rows(), 2) << "exactly his one bill";
            EXPECT_EQ(w.Vs.TextMatrix(1, 1), std::to_string(100 + i));
            EXPECT_EQ(w.Vs.TextMatrix(1, 3), texts[i]) << "remark as stored";
            EXPECT_EQ(w.Vs.TextMatrix(1, 4), texts[i]) << "operator as stored";
        });
    }
    EXPECT_TRUE(OkMessages().empty()) << OkMessages().front();
    EXPECT_EQ(t.Scalar("select count(*) from SubAdjuctPrice"), std::to_string(texts.size() + 1));
}

// Serials written by another program: marking one and deleting or posting it touches that bill
// and no other, through the statements as written with the serial's quotes doubled.
TEST_F(HostileText, SerialsOfMarkedBillsReachTheStatementsIntact) {
    for (auto r : {"删除", "记帐", "查看所有用户"}) t.Grant("0001", r);
    auto texts = HostileTexts();
    std::erase(texts, std::string());  // a header with an empty serial is no bill the browser can mark apart
    for (const auto& lsh : texts) Bill(lsh, "系统管理员", "r");
    Bill("keep", "系统管理员", "r");
    t.OpenHostConnection("0001", "系统管理员");
    size_t left = texts.size() + 1;
    for (const auto& lsh : texts) {
        SCOPED_TRACE("serial " + Shown(lsh));
        t.ClearStatements();
        const bool post = (&lsh - texts.data()) % 2 == 1;
        if (post) t.Exec("update SubAdjuctPrice set shbz=1 where lsh='" + EscapeQuote(lsh) + "'");
        InBrowser([&](browser::FrmBrowser& w) {
            int marked = 0;
            for (int r = 1; r < w.Vs.Rows(); ++r)
                if (w.Vs.TextMatrix(r, 1) == lsh) {
                    w.Vs.SetTextMatrix(r, 0, browser::kMark);
                    ++marked;
                }
            ASSERT_EQ(marked, 1) << "listed exactly once";
            t.Toolkit().QueueAnswer(ui::Answer::Yes);
            if (post) w.PostSelected();
            else w.DeleteSelected();
        });
        if (post) {
            EXPECT_TRUE(t.Sent("Update SubAdjuctPrice Set Jzbz=1 Where Lsh='" + EscapeQuote(lsh) + "' And Shbz=1"));
            EXPECT_EQ(t.Scalar("select jzbz from SubAdjuctPrice where lsh='" + EscapeQuote(lsh) + "'"), "1");
        } else {
            EXPECT_TRUE(t.Sent("DELETE FROM SubAdjuctPrice WHERE LSH='" + EscapeQuote(lsh) + "' AND ISNULL(SHBZ,0)=0"));
            EXPECT_EQ(t.Scalar("select count(*) from SubAdjuctPricemx where lsh='" + EscapeQuote(lsh) + "'"), "0");
            --left;
        }
        EXPECT_EQ(t.Scalar("select count(*) from SubAdjuctPrice"), std::to_string(left));
        EXPECT_EQ(t.Scalar("select count(*) from SubAdjuctPrice where lsh='keep' and jzbz=0"), "1");
    }
    EXPECT_TRUE(OkMessages().empty()) << OkMessages().front();
}
