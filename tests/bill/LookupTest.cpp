// Branch and item entry through the lookup window.
#include "EditorFixture.h"
#include "ui/Keys.h"

using billtest::Editor;
using billtest::Lookups;
using bill::FrmAdjuctPrice;

TEST_F(Editor, BranchByCodeByMnemonicAndTheWholeList) {
    Open("", [&](FrmAdjuctPrice& w) {
        w.TxtDwbh.TypedText("001");
        Key(w, w.TxtDwbh, ui::Key::Enter);
        EXPECT_EQ(Lookups().statements.back(), "select tjbh as 单位编号,mc as 单位名称,zjm as 助记码 from gl_custom where tjbh ='001'");
        EXPECT_EQ(w.txtDwmc.Text(), "一分店");
        EXPECT_EQ(w.Focused(), &w.TxtBZ);

        w.TxtDwbh.TypedText("EF");  // mnemonic, any case: replaced by the branch code
        Key(w, w.TxtDwbh, ui::Key::Enter);
        EXPECT_EQ(w.TxtDwbh.Text() + w.txtDwmc.Text(), "002二分店");

        Lookups().pick = 2;
        w.TxtDwbh.TypedText("");  // the whole list
        Key(w, w.TxtDwbh, ui::Key::Enter);
        EXPECT_EQ(w.TxtDwbh.Text(), "0031");

        // Nothing found (a quote included): silent, fields and focus stay.
        w.TxtDwbh.TypedText("x' or '1'='1");
        Key(w, w.TxtDwbh, ui::Key::Enter);
        EXPECT_EQ(Lookups().statements.back(),
                  "select tjbh as 单位编号,mc as 单位名称,zjm as 助记码 from gl_custom where zjm like 'x'' or ''1''=''1%'");
        EXPECT_EQ(w.txtDwmc.Text(), "三一店");
        EXPECT_EQ(w.Focused(), &w.TxtDwbh);
    });
    EXPECT_TRUE(MessageTexts().empty());
}

TEST_F(Editor, BranchTypeMatchesEveryIdContainingTheText) {
    data::Host().BranchMode = data::ByBranchType;
    Open("", [&](FrmAdjuctPrice& w) {
        Lookups().pick = 1;
        w.TxtDwbh.TypedText("1");
        Key(w, w.TxtDwbh, ui::Key::Enter);
        EXPECT_EQ(Lookups().rowCounts.back(), 3u) << "1, 10 and 21";
        EXPECT_EQ(w.TxtDwbh.Text() + w.txtDwmc.Text(), "10中店");
    });
}

TEST_F(Editor, ItemByCodePatternMnemonicStarAndF7) {
    Open("", [&](FrmAdjuctPrice& w) {
        w.TxtDwbh.SetText("001");
        const std::string base =
            "select a.hh as 货号,a.pm as 品名,a.gg as 规格,a.cd as 产地,a.pdw as 单位,b.sellprice as 售价,a.pm_zjm as 助记码  from yw_kck a LEFT join "
            "(select hh,dwbh,sellprice from glprice where dwbh='001') b  on a.hh=b.hh where isnull(a.FDeleted,0)=0 ";
        auto enter = [&](const std::string& typed) {
            w.SetFocus(w.TxtHH);
            w.TxtHH.TypedText(typed);
            Key(w, w.TxtHH, ui::Key::Enter);
        };
        enter("a1");  // exact code: the text stays as typed
        EXPECT_EQ(Lookups().statements.back(), base + " and a.hh ='a1' order by a.hh");
        EXPECT_EQ(w.TxtHH.Text() + " " + w.TxtPM.Text(), "a1 苹果\\500g\\烟台\\袋");
        EXPECT_EQ(w.TxtNSj.Value(), 5.5);
        EXPECT_EQ(w.Focused(), &w.TxtNSj);

        enter("*12");
        EXPECT_EQ(Lookups().statements.back(), base + " and a.hh like '%12' order by a.hh");
        EXPECT_EQ(w.TxtHH.Text(), "A12");
        EXPECT_EQ(w.TxtOSj.Value(), 0) << "no price at the branch";

        enter("yl");
        EXPECT_EQ(Lookups().statements.back(), base + " and a.pm_zjm like 'yl%' order by a.hh");
        EXPECT_EQ(w.TxtHH.Text(), "X");

        Lookups().pick = 3;
        enter("*");
        EXPECT_EQ(Lookups().statements.back(), base + " order by a.hh");
        EXPECT_EQ(Lookups().rowCounts.back(), 4u) << "deleted items are not offered";
        EXPECT_EQ(w.TxtHH.Text(), "X");

        Lookups().pick = 1;
        w.TxtHH.TypedText("whatever");
        Key(w, w.TxtHH, ui::Key::F7);  // the whole list, whatever is typed
        EXPECT_EQ(w.TxtHH.Text(), "A12");

        const size_t before = Lookups().statements.size();
        enter("A1' --");
        EXPECT_EQ(Lookups().statements.at(before), base + " and a.hh ='A1'' --' order by a.hh");
        EXPECT_EQ(w.Focused(), &w.TxtHH) << "nothing found";
        EXPECT_EQ(MessageTexts(), std::vector<std::string>{"货号为'A1' --'的商品不存在!"});
        t.Toolkit().ClearMessages();

        enter("");
        EXPECT_EQ(MessageTexts(), std::vector<std::string>{"货号不能为空!"});
        EXPECT_EQ(Lookups().statements.size(), before + 2) << "an empty code looks nothing up";
    });
}

// An item code that names nothing is said to be unknown; a lookup the operator closes without a
// pick is no such case.
TEST_F(Editor, AnUnknownOrDeletedItemIsNamedAndAClosedLookupIsNot) {
    struct Case {
        std::string typed;
        std::vector<std::string> messages;
    };
    Open("", [&](FrmAdjuctPrice& w) {
        w.TxtDwbh.SetText("001");
        Lookups().pick = -1;  // several rows offered: the operator closes the window
        for (const Case& c : std::vector<Case>{{"999998", {"货号为'999998'的商品不存在!"}},
                                               {"D9", {"货号为'D9'的商品不存在!"}},  // deleted
                                               {"*1*", {}},
                                               {"p", {}}}) {
            t.Toolkit().ClearMessages();
            w.SetFocus(w.TxtHH);
            w.TxtHH.TypedText(c.typed);
            Key(w, w.TxtHH, ui::Key::Enter);
            EXPECT_EQ(MessageTexts(), c.messages) << c.typed;
            EXPECT_EQ(w.Focused(), &w.TxtHH) << c.typed;
            EXPECT_EQ(w.TxtHH.Text(), c.typed);

        }
    });
}
