// The dialog "打印价签": the shelf labels of one bill (the editor's 价签) or of the marked bills
// (the browser's 价签): the sheet layout (remembered), for a branch-type bill whether each branch
// of the type gets its own set, and preview or PDF through the host's label printer.
#pragma once
#include <string>
#include <vector>

#include "bill/ShelfLabels.h"
#include "ui/Button.h"
#include "ui/CheckBox.h"
#include "ui/Label.h"
#include "ui/OptionButton.h"
#include "ui/Window.h"

namespace bill {

class FrmAdjuctPrice;

inline constexpr const char* kShelfLabelsCaption = "打印价签";
inline constexpr const char* kNoLabelLines = "没有要打印价签的明细!";
inline constexpr const char* kUnsavedNoLabels = "此单据尚未保存，不能打印价签!";
// The key of the remembered layout and its two values.
inline constexpr const char* kShelfLabelsPreference = "FrmShelfLabels";
inline constexpr const char* kSheetA4 = "A4";
inline constexpr const char* kSheetRoll = "卷纸";

class FrmShelfLabels : public ui::Dialog {
public:
    explicit FrmShelfLabels(std::vector<LabelBill> bills);

    ui::Label Label1{*this, "Label1", "纸张"};
    ui::OptionButton OptA4{*this, "OptA4", "A4 3×8", 1};
    ui::OptionButton OptRoll{*this, "OptRoll", "卷纸 60×40mm", 1};
    ui::CheckBox ChkEachBranch{*this, "ChkEachBranch", "按类型中的每个分支机构各打一套"};
    ui::Label LabSummary{*this, "LabSummary", ""};
    ui::Button CmdPreview{*this, "CmdPreview", "预览"};
    ui::Button CmdPdf{*this, "CmdPdf", "保存为PDF"};
    ui::Button CmdClose{*this, "CmdClose", "关闭"};

    void OnLoad() override;

    // What would be printed with the choices as they stand.
    data::LabelJob Job() const;
    // Previews the labels; the layout is remembered.
    void Preview();
    // Writes the labels into a PDF; the layout is remembered and the file named in the summary.
    void SavePdf();

    // "价签" in the editor: needs the right "打印" and a stored bill with lines.
    static void Run(FrmAdjuctPrice& editor);
    // The browser's "价签": the bills of the serials (the caller has checked the right and that
    // some are marked).
    static void Run(const std::vector<std::string>& serials);

private:
    void ShowSummary();
    // Creates the label printer and hands it the job; a failure is shown, one message.
    void Print(bool pdf);

    std::vector<LabelBill> bills_;
};

}  // namespace bill
