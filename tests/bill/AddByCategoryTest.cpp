// "类别": the live items of the marked categories not yet on the bill, added at the target's prices in one go.
#include "EditorFixture.h"
#include "bill/FrmAddByCategory.h"
#include "ui/Keys.h"

using bill::FrmAddByCategory;
using bill::FrmAdjuctPrice;

namespace {

class AddByCategory : public billtest::Editor {
protected:
    AddByCategory() {
        t.Exec("insert into kclb (id,name) values ('10','零食'),('02','饮料'),('01','Fruit 水果')");
        t.Exec("update yw_kck set lb='01' where hh in ('A1','B2','X','D9')");  // D9 is withdrawn
        t.Exec("update yw_kck set lb='02' where hh='A12'");
        t.Exec("insert into glprice (HH,DWBH,SJ,ZK,SELLPRICE) values ('A12','002',0,0,9),('X','002',0,0,8)");
    }
    std::string Lines(const std::string& lsh) {
        return t.Joined("select dh,hh,sj1,sj2 from SubAdjuctPricemx where lsh='" + lsh + "' order by cast(dh as int)", ":", " ");
    }
    // Opens bill `lsh` (new when empty) for target `dwbh`, presses "类别" and runs `act` on the window.
    void Categories(const std::string& lsh, const std::string& dwbh, std::function<void(FrmAddByCategory&, FrmAdjuctPrice&)> act) {
        Open(lsh, [&](FrmAdjuctPrice& w) {
            w.TxtDwbh.SetText(dwbh);
            Press<FrmAddByCategory>(w, "类别", "FrmAddByCategory", [act, &w](FrmAddByCategory& k) { act(k, w); });
        });
    }
};

}  // namespace

TEST_F(AddByCategory, AddsTheLiveItemsOfTheMarkedCategoriesAtTheTargetsPricesSkippingThoseOnTheBill) {
    Bill("3", "001", 0, {"A1", "5.5"});
    Categories("3", "001", [&](FrmAddByCategory& k, FrmAdjuctPrice& w) {
        ASSERT_EQ(k.VfgCategories.Rows(), 4);
        EXPECT_EQ(k.VfgCategories.TextMatrix(1, 1) + "/" + k.VfgCategories.TextMatrix(1, 3), "01/3") << "D9 is not counted";
        k.TxtFind.TypedText("fruit");
        EXPECT_EQ(k.VfgCategories.Rows(), 2) << "a name in any case";
        k.VfgCategories.Select(1, 1);
        int space = ui::Key::Space;
        k.VfgCategories.RaiseKeyDown(space, 0);
        k.TxtFind.TypedText("2");
        EXPECT_EQ(k.VfgCategories.TextMatrix(1, 2), "饮料") << "an id";
        k.ToggleMark(1);
        k.TxtFind.TypedText("");
        EXPECT_EQ(k.VfgCategories.TextMatrix(1, 0) + k.VfgCategories.TextMatrix(2, 0) + k.VfgCategories.TextMatrix(3, 0), "√√")
            << "marks outlive the search";
        EXPECT_EQ(k.LabSummary.Caption(), "已选2个类别，共4个商品；本单据还可添加326行");
        k.CmdOK.Click();
        EXPECT_EQ(w.VfgContent.Rows(), 5) << "the editor shows the bill reloaded";
    });
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"已添加3行明细，1个商品已在单据上，未重复添加。"});
    EXPECT_EQ(Lines("3"), "100:A1:5.5:5.5 200:B2:4:4 300:X:0:0 400:A12:0:0") << "prices at 001 only";
    EXPECT_EQ(Scalar("select pm from SubAdjuctPricemx where lsh='3' and dh='200'"), "香蕉\\1kg\\海南\\把");
}

TEST_F(AddByCategory, ANewBillIsStoredUnderAFreshSerialOnceItHasATarget) {
    Bill("7", "001", 1, {"A1", "5.5"});
    Open("", [&](FrmAdjuctPrice& w) { w.Toolbar1.Press("类别"); });  // no target
    Categories("", "002", [&](FrmAddByCategory& k, FrmAdjuctPrice& w) {
        k.CmdOK.Click();  // nothing marked
        k.ToggleMark(1);
        k.CmdOK.Click();
        EXPECT_EQ(w.TxtLSH.Text(), "8");
    });
    EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"请先输入分支机构!", "请选择要添加的类别!", "已添加3行明细。"}));
    EXPECT_EQ(t.Joined("select dwbh,shbz,czry from SubAdjuctPrice where lsh='8'") + " " + Lines("8"),
              "002 0 系统管理员 100:A1:0:0 200:B2:0:0 300:X:8:8");
    t.Toolkit().ClearMessages();

    Categories("8", "002", [&](FrmAddByCategory& k, FrmAdjuctPrice&) {
        k.ToggleMark(1);
        k.CmdOK.Click();
        EXPECT_TRUE(k.IsShown());
    });
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"所选类别的商品都已在单据上，没有要添加的明细!"});
}

TEST_F(AddByCategory, ACategoryBeyondTheLinesLeftRefusesTheWholeAdd) {
    Bill("3", "001", 0, {"A1", "5.5"});
    t.Exec("update SubAdjuctPricemx set dh='32500' where lsh='3'");  // room for 32600 and 32700
    Categories("3", "001", [&](FrmAddByCategory& k, FrmAdjuctPrice&) {
        EXPECT_EQ(k.LabSummary.Caption(), "已选0个类别，共0个商品；本单据还可添加2行");
        k.ToggleMark(1);  // B2 and X fit
        k.ToggleMark(2);  // A12 no longer does
        k.CmdOK.Click();
        EXPECT_TRUE(k.IsShown());
    });
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"类别'饮料'有1个商品，本单据只能再添加0行。"});
    EXPECT_EQ(Lines("3"), "32500:A1:5.5:5.5") << "nothing written, not even the category that fitted";
}

TEST_F(AddByCategory, AFailingInsertLeavesNeitherHeaderNorLines) {
    t.RefuseWrites("SubAdjuctPricemx", "insert", "NEW.hh='X'", "X refused");
    Categories("", "001", [&](FrmAddByCategory& k, FrmAdjuctPrice&) {
        k.ToggleMark(1);
        k.CmdOK.Click();
        EXPECT_TRUE(k.IsShown());
    });
    ASSERT_EQ(t.Toolkit().Messages().size(), 1u);
    EXPECT_NE(t.Toolkit().Messages()[0].message.text.find("X refused"), std::string::npos);
    EXPECT_EQ(Count("select count(*) from SubAdjuctPrice"), 0);
}
