// Texts another program stored (operator names, serials, remarks) are shown and used exactly as they are.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "browser/FrmBrowser.h"
#include "data/HostContext.h"
#include "data/QueryRoutines.h"
#include "support/TestDatabase.h"

using data::EscapeQuote;

namespace {

// One per way a text goes wrong: quotes, SQL, comment and escape marks, brackets, a length beyond
// any buffer, characters beyond the 16-bit plane, blanks at the ends, nothing.
const std::vector<std::string> kTexts = {
    "x' or '1'='1", "1; delete from SubAdjuctPrice; --", "/* open", "a\\'b", "a]b[c", "\"q\"",
    std::string(3000, 'q') + "'" + std::string(3000, 'q'), "😀👨‍👩‍👧 e\u0301 Привет", " both ", "",
};

class HostileText : public ::testing::Test {
protected:
    void SetUp() override { data::Host().BranchMode = data::ByBranch; }

    void Bill(const std::string& lsh, const std::string& czry, const std::string& bz) {
        t.Exec("insert into SubAdjuctPrice (lsh,kdrq,bz,czry,fyear,fperiod,shbz,shry,jzbz,dwbh,bz5) values ('" +
               EscapeQuote(lsh) + "','2026-12-06','" + EscapeQuote(bz) + "','" + EscapeQuote(czry) + "',0,0,0,'',0,'001','')");
        t.Exec("insert into SubAdjuctPricemx (lsh,dh,hh,pm,sj1,sj2) values ('" + EscapeQuote(lsh) + "','100','A1','p',1,2)");
    }

    void InBrowser(const std::function<void(browser::FrmBrowser&)>& act) {
        browser::FrmBrowser w;
        t.Toolkit().OnShow("FrmBrowser", [&](ui::Window&) { act(w); });
        w.ShowModal();
        for (const auto& m : t.Toolkit().Messages()) EXPECT_NE(m.message.buttons, ui::Buttons::Ok) << m.message.text;
    }

    testing_support::TestDatabase t;
};

}  // namespace

// An operator without the right to see all bills sees his own: exactly his bill, as stored.
TEST_F(HostileText, OperatorNameListsExactlyHisBills) {
    for (size_t i = 0; i < kTexts.size(); ++i) Bill(std::to_string(100 + i), kTexts[i], kTexts[i]);
    Bill("999", "别人", "decoy");
    for (size_t i = 0; i < kTexts.size(); ++i) {
        SCOPED_TRACE("operator " + kTexts[i].substr(0, 40));
        t.CloseHostConnection();
        t.OpenHostConnection("0009", kTexts[i]);
        InBrowser([&](browser::FrmBrowser& w) {
            ASSERT_EQ(w.Vs.Rows(), 2);
            EXPECT_EQ(w.Vs.TextMatrix(1, 1), std::to_string(100 + i));
            EXPECT_EQ(w.Vs.TextMatrix(1, 3), kTexts[i]) << "remark";
            EXPECT_EQ(w.Vs.TextMatrix(1, 4), kTexts[i]) << "operator";
        });
    }
    EXPECT_EQ(t.Scalar("select count(*) from SubAdjuctPrice"), std::to_string(kTexts.size() + 1));
}

// A marked bill deleted or posted: that bill and no other.
TEST_F(HostileText, SerialsOfMarkedBillsReachTheStatementsIntact) {
    for (auto r : {"删除", "记帐", "查看所有用户"}) t.Grant("0001", r);
    const std::vector<std::string> serials(kTexts.begin(), kTexts.end() - 1);  // an empty serial is no bill to mark apart
    for (const auto& lsh : serials) Bill(lsh, "系统管理员", "r");
    Bill("keep", "系统管理员", "r");
    t.OpenHostConnection("0001", "系统管理员");
    size_t left = serials.size() + 1;
    for (size_t i = 0; i < serials.size(); ++i) {
        const std::string& lsh = serials[i];
        const std::string quoted = EscapeQuote(lsh);
        SCOPED_TRACE("serial " + lsh.substr(0, 40));
        const bool post = i % 2 == 1;
        if (post) t.Exec("update SubAdjuctPrice set shbz=1 where lsh='" + quoted + "'");
        InBrowser([&](browser::FrmBrowser& w) {
            int marked = 0;
            for (int r = 1; r < w.Vs.Rows(); ++r)
                if (w.Vs.TextMatrix(r, 1) == lsh) w.Vs.SetTextMatrix(r, 0, browser::kMark), ++marked;
            ASSERT_EQ(marked, 1);
            t.Toolkit().QueueAnswer(ui::Answer::Yes);
            if (post) w.PostSelected();
            else w.DeleteSelected();
        });
        if (post) {
            EXPECT_EQ(t.Scalar("select jzbz from SubAdjuctPrice where lsh='" + quoted + "'"), "1");
        } else {
            EXPECT_EQ(t.Scalar("select count(*) from SubAdjuctPricemx where lsh='" + quoted + "'"), "0");
            --left;
        }
        EXPECT_EQ(t.Scalar("select count(*) from SubAdjuctPrice"), std::to_string(left));
    }
    EXPECT_EQ(t.Scalar("select count(*) from SubAdjuctPrice where lsh='keep' and jzbz=0"), "1");
}
