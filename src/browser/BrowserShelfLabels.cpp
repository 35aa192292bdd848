// The browser's 价签: shelf labels of the marked bills. The marks stay, as a preview keeps them:
// the operator may go on to print the same bills.
#include "bill/FrmShelfLabels.h"
#include "browser/FrmBrowser.h"
#include "data/Rights.h"
#include "db/Error.h"
#include "ui/Toolkit.h"

namespace browser {

void FrmBrowser::PrintLabels() {
    try {
        if (!data::CheckRight("打印")) return;
        std::vector<std::string> serials;
        for (int r = 1; r < Vs.Rows(); ++r)
            if (Vs.TextMatrix(r, 0) == kMark) serials.push_back(Vs.TextMatrix(r, 1));
        if (serials.empty()) {
            ui::MsgBox("你没有选择任何需打印的单据！", ui::Buttons::Ok, ui::Icon::Information, "系统提示");
            return;
        }
        bill::FrmShelfLabels::Run(serials);
    } catch (const std::exception& e) {
        ui::MsgBox(db::DescriptionOf(e), ui::Buttons::Ok, ui::Icon::Information, "系统提示");
    }
}

}  // namespace browser
