// The window of "合计": the figures of the bill's stored lines (line count, sums of old and new
// prices, average change in percent, the largest rise and fall with their items).
#pragma once
#include <string>

#include "bill/BillTotals.h"
#include "ui/Button.h"
#include "ui/Label.h"
#include "ui/Window.h"

namespace bill {

class FrmAdjuctPrice;

inline constexpr const char* kBillTotalsCaption = "单据合计";

class FrmBillTotals : public ui::Dialog {
public:
    explicit FrmBillTotals(std::string lsh);

    ui::Label LabBill{*this, "LabBill", ""};
    ui::Label Label1{*this, "Label1", "明细行数"};
    ui::Label LabLines{*this, "LabLines", ""};
    ui::Label Label2{*this, "Label2", "原售价合计"};
    ui::Label LabOldSum{*this, "LabOldSum", ""};
    ui::Label Label3{*this, "Label3", "新售价合计"};
    ui::Label LabNewSum{*this, "LabNewSum", ""};
    ui::Label Label4{*this, "Label4", "平均涨跌幅"};
    ui::Label LabAverage{*this, "LabAverage", ""};
    ui::Label Label5{*this, "Label5", "合计涨跌幅"};
    ui::Label LabSumPercent{*this, "LabSumPercent", ""};
    ui::Label Label6{*this, "Label6", "最大涨幅"};
    ui::Label LabRise{*this, "LabRise", ""};
    ui::Label Label7{*this, "Label7", "最大跌幅"};
    ui::Label LabFall{*this, "LabFall", ""};
    ui::Button CmdClose{*this, "CmdClose", "关闭"};

    void OnLoad() override { Form_Load(); }
    void Form_Load();

    // "合计" in the editor: the figures of the bill shown.
    static void Run(FrmAdjuctPrice& editor);

private:
    std::string lsh_;
    BillTotals totals_;
};

}  // namespace bill
