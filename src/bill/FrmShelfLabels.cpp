#include "bill/FrmShelfLabels.h"

#include <algorithm>

#include "bill/EditorState.h"
#include "bill/FrmAdjuctPrice.h"
#include "bill/PriceRounding.h"
#include "data/ComponentFactory.h"
#include "data/QueryRoutines.h"
#include "data/Rights.h"
#include "db/Error.h"
#include "ui/Keys.h"
#include "ui/Toolkit.h"

namespace bill {

FrmShelfLabels::FrmShelfLabels(std::vector<LabelBill> bills)
    : ui::Dialog("FrmShelfLabels", kShelfLabelsCaption), bills_(std::move(bills)) {
    SetDesignSize(6600, 1800);
    const bool roll = ui::CurrentToolkit().Preference(kShelfLabelsPreference) == kSheetRoll;
    (roll ? OptRoll : OptA4).SetValue(true);
    const bool anyType = std::any_of(bills_.begin(), bills_.end(), [](const LabelBill& b) { return b.toBranchType; });
    ChkEachBranch.SetEnabled(anyType);
    CmdClose.SetCancel(true);

    int tab = 0;
    for (ui::Control* c : std::initializer_list<ui::Control*>{&OptA4, &OptRoll, &ChkEachBranch, &CmdPreview, &CmdPdf, &CmdClose})
        c->SetTabIndex(tab++);
    ChkEachBranch.onClick = [this] { ShowSummary(); };
    CmdPreview.onClick = [this] { Preview(); };
    CmdPdf.onClick = [this] { SavePdf(); };
    CmdClose.onClick = [this] { Close(); };
    ShowSummary();
}

void FrmShelfLabels::OnLoad() {
    ShowSummary();
    OfferFocus(OptRoll.Value() ? static_cast<ui::Control&>(OptRoll) : OptA4);
}

data::LabelJob FrmShelfLabels::Job() const {
    data::LabelJob job;
    job.sheet = OptRoll.Value() ? data::LabelSheet::Roll : data::LabelSheet::A4Grid;
    job.decimals = PriceDecimals();
    job.sets = LabelSets(bills_, ChkEachBranch.Enabled() && ChkEachBranch.Value());
    return job;
}

void FrmShelfLabels::ShowSummary() {
    const auto sets = LabelSets(bills_, ChkEachBranch.Enabled() && ChkEachBranch.Value());
    size_t labels = 0;
    for (const auto& s : sets) labels += s.labels.size();
    LabSummary.SetCaption("共" + std::to_string(sets.size()) + "套，" + std::to_string(labels) + "张价签");
}

void FrmShelfLabels::Preview() { Print(false); }

void FrmShelfLabels::SavePdf() { Print(true); }

void FrmShelfLabels::Print(bool pdf) {
    ShowSummary();
    const data::LabelJob job = Job();
    ui::CurrentToolkit().SetPreference(kShelfLabelsPreference, OptRoll.Value() ? kSheetRoll : kSheetA4);
    try {
        auto printer = data::ComponentFactory::CreateAs<data::LabelPrinter>(data::ComponentName::LabelPrinter);
        if (!pdf) {
            printer->Preview(job);
            return;
        }
        ui::BusyPointer busy;
        const std::string path = printer->SavePdf(job);
        if (!path.empty()) LabSummary.SetCaption("价签已保存到 " + path);
    } catch (const std::exception& e) {
        ui::MsgBox(db::DescriptionOf(e), ui::Buttons::Ok, ui::Icon::Exclamation, "系统提示");
    }
}

void FrmShelfLabels::Run(const std::vector<std::string>& serials) {
    std::vector<LabelBill> bills;
    try {
        ui::BusyPointer busy;
        bills = ReadLabelBills(data::HostConnection(), serials, PriceDecimals());
    } catch (const std::exception& e) {
        ui::MsgBox(db::DescriptionOf(e), ui::Buttons::Ok, ui::Icon::Exclamation, "系统提示");
        return;
    }
    if (LabelSets(bills, false).empty()) {
        ui::MsgBox(kNoLabelLines, ui::Buttons::Ok, ui::Icon::Information, "系统提示");
        return;
    }
    FrmShelfLabels w(std::move(bills));
    w.ShowModal();
}

void FrmShelfLabels::Run(FrmAdjuctPrice& editor) {
    if (!data::CheckRight("打印")) return;
    const std::string lsh = editor.TxtLSH.Text();
    // A new bill shows a provisional serial: nothing of it is stored yet.
    if (Shared().IsNewBill || lsh.empty()) {
        ui::MsgBox(kUnsavedNoLabels, ui::Buttons::Ok, ui::Icon::Information, "系统提示");
        return;
    }
    Run(std::vector<std::string>{lsh});
}

}  // namespace bill
