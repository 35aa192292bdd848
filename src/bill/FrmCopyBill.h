// The window of "复制": the stored bill in the editor made again for other targets of its mode
// (branches, or branch types), one new bill per marked target. The list is searched as the
// operator types (code, name, mnemonic) and marked with Space, a click in the mark column, 全选
// and 全不选; the bill's own target is not offered. 确定 makes every bill in one transaction: the
// same items and new prices, each old price the target's own selling price as the item entry
// reads it, serials drawn as saving draws them.
#pragma once
#include <string>
#include <vector>

#include "bill/BillCopy.h"
#include "ui/Button.h"
#include "ui/Grid.h"
#include "ui/Label.h"
#include "ui/TextBox.h"
#include "ui/Window.h"

namespace bill {

class FrmAdjuctPrice;

inline constexpr const char* kCopyCaption = "复制到其他分支机构";

class FrmCopyBill : public ui::Dialog {
public:
    struct Target {
        std::string code, name, mnemonic;
        bool marked = false;
    };

    FrmCopyBill(FrmAdjuctPrice& editor, StoredBill source, std::vector<Target> targets);

    ui::Label Label1{*this, "Label1", "查找"};
    ui::TextBox TxtFind{*this, "TxtFind"};
    ui::Grid VfgTargets{*this, "VfgTargets"};
    ui::Label LabSummary{*this, "LabSummary", ""};
    ui::Button CmdAll{*this, "CmdAll", "全选"};
    ui::Button CmdNone{*this, "CmdNone", "全不选"};
    ui::Button CmdOK{*this, "CmdOK", "确定"};
    ui::Button CmdCancel{*this, "CmdCancel", "取消"};

    void OnLoad() override;
    void OnUnload() override { VfgTargets.Unbind(); }

    // Shows the targets whose code, name or mnemonic contains the text of TxtFind (letters
    // without regard to case), with their marks.
    void Filter();
    // Marks or unmarks the target shown in grid row `row` (from 1).
    void ToggleMark(int row);
    // Marks or unmarks every target shown.
    void MarkShown(bool marked);
    // Asks, then makes one bill per marked target; on success lists the new serials and closes.
    void Copy();

    const std::vector<Target>& Targets() const { return targets_; }
    // The targets shown, by grid row (from 1): indexes into Targets().
    const std::vector<size_t>& Shown() const { return shown_; }
    const std::vector<std::string>& Serials() const { return serials_; }

    // The targets of a mode in code order, without `except` (the bill's own target).
    static std::vector<Target> ReadTargets(bool byBranchType, const std::string& except);
    // "复制" in the editor: needs the right "新增", a stored bill with lines and another target.
    static void Run(FrmAdjuctPrice& editor);

private:
    void ShowSummary();

    FrmAdjuctPrice& editor_;
    StoredBill source_;
    std::vector<Target> targets_;
    std::vector<size_t> shown_;
    std::vector<std::string> serials_;
};

// The message that lists the serials of the bills made (consecutive: a long list is a range).
std::string CopiedText(const std::vector<std::string>& serials);

}  // namespace bill
