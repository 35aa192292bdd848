// Saving: the header and the line in hand in one transaction, the serial number of a new bill
// drawn inside it, then the bill reloaded.
#include "bill/EditorState.h"
#include "bill/FrmAdjuctPrice.h"
#include "data/HostContext.h"
#include "data/QueryRoutines.h"
#include "db/Connection.h"
#include "db/Error.h"
#include "ui/Toolkit.h"

namespace bill {
namespace {

using data::EscapeQuote;

inline constexpr const char* kAuditedNoChange = "此单据已审核，不能修改!";

// A save the database state refuses after the transaction began; rolled back, then shown.
struct SaveRefused {
    std::string text;
    ui::Icon icon;
};

bool HeaderExists(db::Connection& c, const std::string& lsh) {
    db::Recordset rs = c.OpenRecordset("select count(*) as bs from SubAdjuctPrice where lsh='" + EscapeQuote(lsh) + "'");
    const bool exists = rs.RecordCount() > 0 && rs.Get(0).ToInt64() > 0;
    rs.Close();
    return exists;
}

bool HeaderAudited(db::Connection& c, const std::string& lsh) {
    db::Recordset rs = c.OpenRecordset("Select shbz from SubAdjuctPrice where lsh='" + EscapeQuote(lsh) + "'");
    const bool audited = rs.RecordCount() > 0 && !rs.Get(0).IsNull() && rs.Get(0).ToBool();
    rs.Close();
    return audited;
}

}  // namespace

void FrmAdjuctPrice::SaveBill() {
    auto& shared = Shared();
    const bool byType = data::Host().BranchMode == data::ByBranchType;

    // Audited check, before anything is written.
    shared.WorkSql = "Select shbz from SubAdjuctPrice where lsh='" + EscapeQuote(shared.CurrentLsh) + "'";
    bool audited = false;
    try {
        audited = data::GetFieldValue(shared.WorkSql, "shbz").ToBool();
    } catch (...) {
    }
    if (audited) {
        ui::MsgBox(kAuditedNoChange, ui::Buttons::Ok, ui::Icon::Information, "系统提示");
        return;
    }
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

        const std::string lsh = EscapeQuote(shared.CurrentLsh);
        const std::string kdrq = DtpKdrq.Value().ToText();
        const std::string execdate = DtpExecDate.Value().ToText();
        const std::string oldPrice = db::FormatDouble(TxtOSj.Value());
        const std::string newPrice = db::FormatDouble(TxtNSj.Value());
        const std::string headerSet = "update SubAdjuctPrice set kdrq='" + kdrq + "',execdate='" + execdate + "',bz='" +
                                      EscapeQuote(TxtBZ.Text()) + "',czry='" + EscapeQuote(TxtCzryName.Text()) +
                                      "',dwbh='" + EscapeQuote(TxtDwbh.Text());
        // A header update changes only an unaudited header, so a bill audited by someone else
        // since it was loaded keeps what the auditor saw.
        const std::string unaudited = " and isnull(shbz,0)=0";
        auto updateHeader = [&](const std::string& t) {
            shared.WorkSql = headerSet + t + lsh + "'" + unaudited;
            if (c.Execute(shared.WorkSql) > 0) return;
            if (HeaderAudited(c, shared.CurrentLsh)) throw SaveRefused{kAuditedNoChange, ui::Icon::Information};
            throw SaveRefused{"流水号为" + shared.CurrentLsh + "的单据已不存在，未保存!", ui::Icon::Exclamation};
        };

        if (shared.IsLineAmend) {
            updateHeader(byType ? "',bz5='1' where lsh='" : "',bz5='' where lsh='");
            shared.WorkSql = "Update SubAdjuctPricemx set lsh='" + lsh + "',hh='" + EscapeQuote(TxtHH.Text()) + "',pm='" +
                             EscapeQuote(TxtPM.Text()) + "'" + ",sj1=" + oldPrice + ",sj2=" + newPrice + " where lsh='" +
                             lsh + "' and dh='" + EscapeQuote(shared.CurrentDh) + "'";
            if (c.Execute(shared.WorkSql) == 0)
                throw SaveRefused{"单号为" + shared.CurrentDh + "的明细已被删除，未保存!", ui::Icon::Exclamation};
        } else {
            // Insert the header only when none exists under this serial: a stored bill whose lines
            // were all deleted still has its header.
            if (!HeaderExists(c, shared.CurrentLsh)) {
                shared.WorkSql = "insert into SubAdjuctPrice (lsh,kdrq,execdate,bz,czry,fyear,fperiod,shbz,shry,jzbz,dwbh,bz5) values ('" +
                                 lsh + "','" + kdrq + "','" + execdate + "','" + EscapeQuote(TxtBZ.Text()) + "','" +
                                 EscapeQuote(TxtCzryName.Text()) + "',0,0,0,'',0,'" + EscapeQuote(TxtDwbh.Text()) +
                                 (byType ? "','1')" : "','')");
                c.Execute(shared.WorkSql);
            } else {
                updateHeader(byType ? "',bz5='1'  where lsh='" : "',bz5=''  where lsh='");
            }
            shared.WorkSql = "insert into SubAdjuctPricemx (lsh,dh,hh,pm,sj1,sj2) values ('" + lsh + "','" +
                             EscapeQuote(shared.CurrentDh) + "','" + EscapeQuote(TxtHH.Text()) + "','" +
                             EscapeQuote(TxtPM.Text()) + "'," + oldPrice + "," + newPrice + ")";
            c.Execute(shared.WorkSql);
        }
        transaction.Commit();
    } catch (const SaveRefused& r) {
        // The transaction has been rolled back by now: no other operator waits on this box.
        ui::MsgBox(r.text, ui::Buttons::Ok, r.icon, "系统提示");
        return;
    } catch (const std::exception& e) {
        const auto* dbError = dynamic_cast<const db::Error*>(&e);
        if (dbError && dbError->Code() == db::ErrorCode::IntegrityViolation)
            ui::MsgBox(dbError->Description() + "\n有另一个操作员同时建立了信息,请再次点击“保存”按钮！", ui::Buttons::Ok,
                       ui::Icon::Exclamation, "系统提示");
        else
            ui::MsgBox(db::DescriptionOf(e), ui::Buttons::Ok, ui::Icon::Critical, "错误:");
        try {
            if (rsBill.IsOpen()) rsBill.Close();
        } catch (...) {
        }
        return;
    }
    AmendAddNew(s);
}

}  // namespace bill
