// The window "历史价格": the price history of one item at one bill target, read from the bills
// themselves. It shows the item's current price in glprice, every audited bill that set it
// (newest first: dates, serial, old and new price, change in percent, operator, auditor) with a
// chart of the price over time, and the unaudited bills that would change it.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "bill/PriceChart.h"
#include "ui/Button.h"
#include "ui/Grid.h"
#include "ui/Label.h"
#include "ui/Window.h"

namespace bill {

class FrmAdjuctPrice;

inline constexpr const char* kPriceHistoryCaption = "历史价格";
inline constexpr const char* kNoPriceHistory = "没有找到此商品在该分支机构的调价记录";

class FrmPriceHistory : public ui::Dialog {
public:
    // `target` is the bill's branch code (or branch-type id), `targetName` its name as shown.
    FrmPriceHistory(std::string item, std::string target, std::string targetName);

    ui::Label LabItem{*this, "LabItem", ""};
    ui::Label LabTarget{*this, "LabTarget", ""};
    ui::Label LabCurrent{*this, "LabCurrent", ""};
    ui::Label Label1{*this, "Label1", "已审核的调价单"};
    ui::Grid VfgAudited{*this, "VfgAudited"};
    PriceChart ChtPrice{*this, "ChtPrice", "售价走势"};
    ui::Label Label2{*this, "Label2", "未审核的调价单"};
    ui::Grid VfgPending{*this, "VfgPending"};
    ui::Label LabNothing{*this, "LabNothing", kNoPriceHistory};
    ui::Button CmdClose{*this, "CmdClose", "关闭"};

    void OnLoad() override { Form_Load(); }
    void OnUnload() override;
    void Form_Load();

    // "价格" in the editor: the item in the entry strip, or else the grid's current line, at the
    // bill's target.
    static void Run(FrmAdjuctPrice& editor);

    const std::string& Item() const { return item_; }
    const std::string& Target() const { return target_; }

private:
    std::string item_, target_, targetName_;
    std::optional<double> current_;
};

}  // namespace bill
