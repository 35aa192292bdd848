// The branch-mode dialog: the operator chooses whether this run works on bills for one branch or
// for a branch type; OK records the choice in the host context and shows the bill browser.
#pragma once
#include "ui/Button.h"
#include "ui/Label.h"
#include "ui/OptionButton.h"
#include "ui/Window.h"

namespace entry {

class FrmSub : public ui::Window {
public:
    FrmSub();

    ui::OptionButton OptSub{*this, "OptSub", "分支机构", 1};
    ui::OptionButton OptSubSort{*this, "OptSubSort", "分支机构类型", 1};
    ui::Button CmdOK{*this, "CmdOK", "确定"};
    ui::Button CmdCancel{*this, "CmdCancel", "取消"};
    ui::Label Frame1{*this, "Frame1", ""};  // separator line between the options and the buttons

    void CmdOK_Click();
    void CmdCancel_Click();
    void OnKeyDown(int& key, int shift) override;
};

}  // namespace entry
