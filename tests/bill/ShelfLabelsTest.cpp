// "价签": label rows read from the bills, the sets per bill or per branch of a type, the dialog and the printer.
#include "EditorFixture.h"
#include "bill/FrmShelfLabels.h"
#include "bill/PriceRounding.h"
#include "bill/ShelfLabels.h"
#include "data/ComponentFactory.h"
#include "data/HostContext.h"

using bill::FrmAdjuctPrice;
using bill::FrmShelfLabels;

namespace {

std::vector<data::LabelJob>& Jobs() {
    static std::vector<data::LabelJob> jobs;
    return jobs;
}

class RecordingLabelPrinter : public data::LabelPrinter {
public:
    void Preview(const data::LabelJob& job) override { Jobs().push_back(job); }
    std::string SavePdf(const data::LabelJob& job) override {
        Jobs().push_back(job);
        return "/tmp/labels.pdf";
    }
};

class ShelfLabels : public billtest::Editor {
protected:
    ShelfLabels() {
        Jobs().clear();
        data::ComponentFactory::Register(data::ComponentName::LabelPrinter,
                                         [] { return std::make_unique<RecordingLabelPrinter>(); });
        ui::CurrentToolkit().SetPreference(bill::kShelfLabelsPreference, "");
        // Type 10 (中店) has two branches, type 21 (小店) none.
        t.Exec("update gl_custom set lx='10' where tjbh in ('001','0031')");
    }
    ~ShelfLabels() override { data::ComponentFactory::Unregister(data::ComponentName::LabelPrinter); }

    void Header(const std::string& lsh, const std::string& dwbh, const std::string& bz5, const std::string& execdate) {
        t.StoreBill({lsh, dwbh, 1, 0, {}, execdate, "'" + bz5 + "'", "2026-12-01"});
    }
    void Line(const std::string& lsh, const std::string& dh, const std::string& hh, const std::string& pm, double sj1, double sj2) {
        t.Exec("insert into SubAdjuctPricemx (lsh,dh,hh,pm,sj1,sj2) values ('" + lsh + "','" + dh + "','" + hh + "','" + pm +
               "'," + std::to_string(sj1) + "," + std::to_string(sj2) + ")");
    }
    std::vector<bill::LabelBill> Read(const std::vector<std::string>& serials) {
        return bill::ReadLabelBills(*data::Host().HostConnection, serials, 2);
    }
};

std::string Targets(const std::vector<data::LabelSet>& sets) {
    std::string s;
    for (const auto& set : sets)
        s += (s.empty() ? "" : " ") + set.serial + "@" + set.targetCode + ":" + set.targetName + "x" +
             std::to_string(set.labels.size());
    return s;
}

}  // namespace

TEST_F(ShelfLabels, EachLineGivesItsItemPricesAndTheBillsExecutionDate) {
    Header("7", "001", "", "'2026-12-10'");
    // Line numbers as numbers: 900 before 1000, which a text order would turn round.
    Line("7", "1000", "B2", "p", 4, 4.4);
    Line("7", "900", "A1", "p", 6, 5.5);
    Line("7", "1100", "X", "p", 3.004, 3);              // equal at two decimals: not struck
    Line("7", "1200", "Z9", "旧梨\\2kg\\河北\\箱", 8, 7);  // no longer in yw_kck: the line's own text
    // Without an execution date the bill's date is printed.
    for (const auto& [lsh, execdate] : {std::pair{"1", "NULL"}, std::pair{"2", "'1900-01-01'"}}) {
        Header(lsh, "001", "", execdate);
        Line(lsh, "100", "A1", "p", 6, 5);
    }
    const auto bills = Read({"7", "1", "2"});
    ASSERT_EQ(bills.size(), 3u);
    EXPECT_EQ(bills[1].labels.at(0).execDate + " " + bills[2].labels.at(0).execDate, "2026-12-01 2026-12-01");
    std::vector<std::string> got;
    for (const auto& l : bills[0].labels)
        got.push_back(l.itemCode + "|" + l.name + "|" + l.size + "|" + l.origin + "|" + l.unit + "|" + bill::PriceText(l.oldPrice, 3) +
                      "|" + bill::PriceText(l.newPrice, 3) + (l.strikeOld ? "|struck|" : "||") + l.execDate);
    EXPECT_EQ(got, (std::vector<std::string>{"A1|苹果|500g|烟台|袋|6.000|5.500|struck|2026-12-10",
                                             "B2|香蕉|1kg|海南|把|4.000|4.400||2026-12-10",
                                             "X|鸭梨|1kg|河北|个|3.000|3.000||2026-12-10",
                                             "Z9|旧梨|2kg|河北|箱|8.000|7.000|struck|2026-12-10"}));
}

TEST_F(ShelfLabels, OneSetPerBillAtItsTargetOrOnePerBranchOfTheType) {
    Header("7", "001", "", "NULL");
    Line("7", "100", "A1", "p", 6, 5);
    Header("8", "10", "1", "NULL");  // 中店: branches 001 and 0031
    Line("8", "100", "A1", "p", 6, 5);
    Line("8", "200", "B2", "p", 4, 5);
    Header("9", "21", "1", "NULL");  // 小店: no branch
    Line("9", "100", "X", "p", 3, 2);
    Header("10", "002", "", "NULL");  // no lines: no set
    const auto bills = Read({"9", "10", "404", "8", "7"});
    ASSERT_EQ(bills.size(), 4u) << "an unknown serial is passed over";
    const struct {
        bool eachBranch;
        const char* sets;
    } cases[] = {
        {false, "9@21:小店x1 8@10:中店x2 7@001:一分店x1"},
        {true, "9@21:小店x1 8@001:一分店x2 8@0031:三一店x2 7@001:一分店x1"},
    };
    for (const auto& c : cases) EXPECT_EQ(Targets(bill::LabelSets(bills, c.eachBranch)), c.sets) << c.eachBranch;
}

TEST_F(ShelfLabels, TheDialogRemembersTheLayoutAndHandsTheJobToThePrinter) {
    Header("8", "10", "1", "'2026-12-10'");
    Line("8", "100", "A1", "p", 6, 5);
    int shown = 0;
    auto operate = [&](ui::Window& win) {
        auto& d = static_cast<FrmShelfLabels&>(win);
        if (++shown == 1) {
            d.OptRoll.SetValue(true);
            d.ChkEachBranch.Toggle(true);
            d.CmdPreview.Click();
            d.CmdPdf.Click();
            EXPECT_EQ(d.LabSummary.Caption(), "价签已保存到 /tmp/labels.pdf");
        } else {
            EXPECT_TRUE(d.OptRoll.Value()) << "the layout chosen last time";
        }
        d.CmdClose.Click();
    };
    Open("8", [&](FrmAdjuctPrice& w) {
        for (int i = 0; i < 2; ++i) {
            t.Toolkit().OnShow("FrmShelfLabels", operate);
            w.Toolbar1.Press("价签");
        }
    });
    ASSERT_EQ(Jobs().size(), 2u);
    for (const auto& job : Jobs()) {
        EXPECT_EQ(job.sheet, data::LabelSheet::Roll);
        EXPECT_EQ(job.decimals, 2);
        EXPECT_EQ(Targets(job.sets), "8@001:一分店x1 8@0031:三一店x1");
    }
    EXPECT_TRUE(MessageTexts().empty());
}

