// Saving: the header and the line in hand in one transaction, the serial number of a new bill
// drawn inside it, then the bill reloaded. The statements are BillWriter's.
#include "bill/BillWriter.h"
#include "bill/EditorState.h"
#include "bill/FrmAdjuctPrice.h"
#include "bill/LineChecks.h"
#include "bill/PriceRounding.h"
#include "data/HostContext.h"
#include "data/QueryRoutines.h"
#include "data/SystemSettings.h"
#include "db/Connection.h"
#include "db/Error.h"
#include "ui/Toolkit.h"

namespace bill {

void FrmAdjuctPrice::SaveBill() {
    auto& shared = Shared();

    // Audited check, before anything is written. A new bill shows a provisional serial only: a
    // bill another operator stored under that number meanwhile is not this one, and the header
    // insert inside the transaction refuses the clash.
    if (!shared.IsNewBill && BillWriter::RefuseIfAudited(shared.CurrentLsh)) return;
    // An empty item code on a stored bill saves its header alone (a changed remark or date).
    const bool headerOnly = TxtHH.Text().empty() && !shared.IsNewBill && !shared.IsLineAmend;
    if (TxtHH.Text().empty() && !headerOnly) {
        ui::MsgBox("货号不能为空!", ui::Buttons::Ok, ui::Icon::Exclamation, "提示:");
        try {
            SetFocus(TxtHH);
        } catch (...) {
        }
        return;
    }
    const int decimals = PriceDecimals();
    const double newPrice = RoundPrice(TxtNSj.Value(), decimals);
    if (!headerOnly) {
        if (const std::string refusal = PriceRefusal(newPrice, decimals); !refusal.empty()) {
            ui::MsgBox(refusal, ui::Buttons::Ok, ui::Icon::Exclamation, "提示:");
            try {
                SetFocus(TxtNSj);
            } catch (...) {
            }
            return;
        }
    }

    std::string s;
    const bool amending = shared.IsLineAmend;
    try {
        db::Connection& c = data::HostConnection();
        db::TransactionGuard transaction(c);
        BillWriter writer(*this, c);
        if (headerOnly) {
            s = TxtLSH.Text();
            writer.WriteHeaderForLineAmend();
        } else if (amending) {
            s = TxtLSH.Text();
            writer.WriteHeaderForLineAmend();
            writer.RefuseItemOnBill(TxtHH.Text(), shared.CurrentDh);
            if (!writer.UpdateLine(shared.CurrentDh, TxtHH.Text(), TxtPM.Text(), TxtOSj.Value(), newPrice))
                throw BillRefused{"单号为" + shared.CurrentDh + "的明细已被删除，未保存!", ui::Icon::Exclamation};
        } else if (shared.IsNewBill) {
            NewLsh();
            s = shared.CurrentLsh;
            NewDh(s);
            writer.InsertHeader();
            writer.InsertLine(TxtHH.Text(), TxtPM.Text(), TxtOSj.Value(), newPrice);
        } else {
            s = TxtLSH.Text();
            // The header first: its update holds the row lock, so a line number drawn after it
            // is not drawn by another save of this bill at the same time.
            writer.WriteHeaderForStoredBill();
            NewDh(s);
            writer.RefuseItemOnBill(TxtHH.Text(), "");
            writer.InsertLine(TxtHH.Text(), TxtPM.Text(), TxtOSj.Value(), newPrice);
        }
        transaction.Commit();
    } catch (const BillRefused& r) {
        // The transaction has been rolled back by now: no other operator waits on this box. A
        // refused amendment leaves the strip adding a line, so the next Save does not repeat it.
        if (amending) shared.IsLineAmend = false;
        BillWriter::ReportRefusal(r);
        return;
    } catch (const std::exception& e) {
        BillWriter::ReportFailure(e, !amending && !headerOnly);
        try {
            if (rsBill.IsOpen()) rsBill.Close();
        } catch (...) {
        }
        return;
    }
    // What looked wrong about the line saved stays pointed out after the strip is cleared.
    std::vector<std::string> doubts;
    if (!headerOnly) {
        doubts = PriceDoubts(TxtOSj.Value(), newPrice, data::Settings().PriceChangeWarnPercent);
        if (ExecutesBeforeBillDate(DtpKdrq.Value(), DtpExecDate.Value())) doubts.push_back(kExecBeforeBillDate);
    }
    const std::string item = TxtHH.Text();
    AmendAddNew(s);
    if (!doubts.empty()) {
        doubtNote_ = "请核对：" + LineDoubtText(item, doubts);
        ShowStatus();
    }
}

}  // namespace bill
