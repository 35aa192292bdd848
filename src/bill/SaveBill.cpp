// Saving: the header and the line in hand in one transaction, the serial number of a new bill
// drawn inside it, then the bill reloaded. The statements are BillWriter's.
#include "bill/BillWriter.h"
#include "bill/EditorState.h"
#include "bill/FrmAdjuctPrice.h"
#include "data/HostContext.h"
#include "data/QueryRoutines.h"
#include "db/Connection.h"
#include "db/Error.h"
#include "ui/Toolkit.h"

namespace bill {

void FrmAdjuctPrice::SaveBill() {
    auto& shared = Shared();

    // Audited check, before anything is written.
    if (BillWriter::RefuseIfAudited(shared.CurrentLsh)) return;
    if (TxtHH.Text().empty()) {
        ui::MsgBox("货号不能为空!", ui::Buttons::Ok, ui::Icon::Exclamation, "提示:");
        try {
            SetFocus(TxtHH);
        } catch (...) {
        }
        return;
    }

    std::string s;
    try {
        db::Connection& c = data::HostConnection();
        db::TransactionGuard transaction(c);
        if (shared.IsLineAmend) {
            s = TxtLSH.Text();
        } else if (shared.IsNewBill) {
            NewLsh();
            s = shared.CurrentLsh;
            NewDh(s);
        } else {
            s = TxtLSH.Text();
            NewDh(s);
        }

        BillWriter writer(*this, c);
        if (shared.IsLineAmend) {
            writer.WriteHeaderForLineAmend();
            if (!writer.UpdateLine(shared.CurrentDh, TxtHH.Text(), TxtPM.Text(), TxtOSj.Value(), TxtNSj.Value()))
                throw BillRefused{"单号为" + shared.CurrentDh + "的明细已被删除，未保存!", ui::Icon::Exclamation};
        } else {
            writer.WriteHeaderForNewLine();
            writer.InsertLine(TxtHH.Text(), TxtPM.Text(), TxtOSj.Value(), TxtNSj.Value());
        }
        transaction.Commit();
    } catch (const BillRefused& r) {
        // The transaction has been rolled back by now: no other operator waits on this box.
        BillWriter::ReportRefusal(r);
        return;
    } catch (const std::exception& e) {
        BillWriter::ReportFailure(e);
        try {
            if (rsBill.IsOpen()) rsBill.Close();
        } catch (...) {
        }
        return;
    }
    AmendAddNew(s);
}

}  // namespace bill
