// The window of "批量": changes the new price of all lines of the bill, or of the lines the
// operator marks, by a percentage or an amount, from the new or the old price, rounded to the
// price decimals and then, when the operator chose one, moved to a price ending (.9, .99, ...). The grid previews old → new for every line before anything is written; the
// change is written in one transaction and refused on an audited bill.
#pragma once
#include <string>
#include <vector>

#include "bill/PriceEndings.h"
#include "ui/Button.h"
#include "ui/ComboBox.h"
#include "ui/Grid.h"
#include "ui/Label.h"
#include "ui/NumberBox.h"
#include "ui/OptionButton.h"
#include "ui/Window.h"

namespace bill {

class FrmAdjuctPrice;

inline constexpr const char* kBulkChangeCaption = "批量修改新售价";
inline constexpr const char* kNoLinesToChange = "没有要调整的明细!";
// Where the operator's choice of ending is remembered.
inline constexpr const char* kEndingPreference = "FrmBulkChange/ending";

class FrmBulkChange : public ui::Dialog {
public:
    struct Line {
        std::string dh, hh, pm;
        double sj1 = 0, sj2 = 0;
        bool marked = false;
        bool affected = false;  // changed by the preview
        double result = 0;      // the new price the preview gives
    };

    FrmBulkChange(FrmAdjuctPrice& editor, std::string lsh, std::vector<Line> lines);

    ui::Label Label1{*this, "Label1", "调整方式"};
    ui::OptionButton OptPercent{*this, "OptPercent", "按百分比(%)", 1};
    ui::OptionButton OptAmount{*this, "OptAmount", "按金额", 1};
    ui::Label Label2{*this, "Label2", "调整值"};
    ui::NumberBox TxtValue{*this, "TxtValue"};
    ui::Label Label3{*this, "Label3", "调整基准"};
    ui::OptionButton OptBaseNew{*this, "OptBaseNew", "新售价", 2};
    ui::OptionButton OptBaseOld{*this, "OptBaseOld", "原售价", 2};
    ui::Label Label4{*this, "Label4", "调整范围"};
    ui::OptionButton OptAll{*this, "OptAll", "全部明细", 3};
    ui::OptionButton OptMarked{*this, "OptMarked", "选中明细", 3};
    ui::Label Label5{*this, "Label5", "尾数"};
    ui::ComboBox CboEnding{*this, "CboEnding"};
    ui::Grid VfgLines{*this, "VfgLines"};
    ui::Label LabSummary{*this, "LabSummary", ""};
    ui::Button CmdPreview{*this, "CmdPreview", "预览"};
    ui::Button CmdApply{*this, "CmdApply", "执行"};
    ui::Button CmdClose{*this, "CmdClose", "关闭"};

    // Shows the preview of the choices as they stand and puts the focus in the value.
    void OnLoad() override;
    void OnUnload() override { VfgLines.Unbind(); }

    // Computes every line's result from the choices and shows it in the grid.
    void Preview();
    // Marks or unmarks grid row `row` (from 1) and chooses "选中明细".
    void ToggleMark(int row);
    // Previews, asks, and writes the affected lines' new prices in one transaction; then the
    // editor shows the stored lines and the window closes.
    void Apply();

    const std::vector<Line>& Lines() const { return lines_; }
    int AffectedCount() const;
    PriceEnding Ending() const;
    bool Applied() const { return applied_; }

    // "批量" in the editor: needs the right "修改", a stored unaudited bill and at least one line.
    static void Run(FrmAdjuctPrice& editor);

private:
    FrmAdjuctPrice& editor_;
    std::string lsh_;
    std::vector<Line> lines_;
    bool applied_ = false;
};

}  // namespace bill
