#include "entry/FrmSub.h"

#include "browser/FrmBrowser.h"
#include "data/HostContext.h"
#include "ui/Keys.h"

namespace entry {
using data::Host;

FrmSub::FrmSub() : ui::Window("frmSub", "分支机构选择") {
    SetDesignSize(4200, 2400);
    OptSub.SetTabIndex(0);
    OptSubSort.SetTabIndex(1);
    CmdOK.SetTabIndex(2);
    CmdCancel.SetTabIndex(3);
    CmdCancel.SetCancel(true);
    OptSub.SetValue(true);
    CmdOK.onClick = [this] { CmdOK_Click(); };
    CmdCancel.onClick = [this] { CmdCancel_Click(); };
}

void FrmSub::CmdOK_Click() {
    Host().BranchMode = !OptSub.Value();
    {
        browser::FrmBrowser browserWindow;
        browserWindow.ShowModal();
    }
    Close();
}

void FrmSub::CmdCancel_Click() { Close(); }

void FrmSub::OnKeyDown(int& key, int) {
    if (key == ui::Key::Escape) {
        key = 0;
        CmdCancel_Click();
    }
}

}  // namespace entry
