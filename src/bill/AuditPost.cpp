// Audit (the bill's new prices into glprice, the bill marked audited, in one transaction) and
// posting (the posted flag of an audited bill).
#include <chrono>
#include <thread>

#include "bill/EditorState.h"
#include "bill/FrmAdjuctPrice.h"
#include "data/HostContext.h"
#include "data/QueryRoutines.h"
#include "data/Rights.h"
#include "db/Connection.h"
#include "db/Error.h"
#include "ui/Toolkit.h"

namespace bill {
namespace {

using data::EscapeQuote;

// An audit that the stored bill refuses; the transaction is rolled back before it is shown.
struct AuditRefused {
    std::string text;
};

// A fault that a second try of the whole audit can get past: a unique key's clash or a deadlock
// (PostgreSQL's and SQL Server's states).
bool AnotherAuditMeanwhile(const db::Error& e) {
    return e.Code() == db::ErrorCode::IntegrityViolation || e.SqlState() == "40P01" || e.SqlState() == "40001";
}

}  // namespace

bool FrmAdjuctPrice::CheckBeforeAudit(const std::string& lsh) {
    db::Recordset rs;
    try {
        rs = data::HostConnection().OpenRecordset("Select HH,Count(*) As BS From SubAdjuctPriceMX Where LSH='" +
                                                  EscapeQuote(lsh) + "' Group By HH");
        for (bool more = rs.RecordCount() > 0; more; more = !rs.IsEOF()) {
            if (rs.Get("BS").ToInt64() > 1) {
                ui::MsgBox("货号为：'" + rs.Get("HH").ToText() + "'的品种在此单据上调了两次价，请检查！审核失败!", ui::Buttons::Ok,
                           ui::Icon::Exclamation, "系统提示");
                rs.Close();
                return false;
            }
            rs.MoveNext();
        }
        rs.Close();
        return true;
    } catch (const std::exception& e) {
        ui::MsgBox(db::DescriptionOf(e), ui::Buttons::Ok, ui::Icon::Critical, "系统提示");
        try {
            if (rs.IsOpen()) rs.Close();
        } catch (...) {
        }
        return false;
    }
}

void FrmAdjuctPrice::AuditBill(const std::string& lsh) {
    auto& shared = Shared();
    const std::string auditor = data::Host().OptName;
    const std::string key = EscapeQuote(lsh);
    try {
        for (int attempt = 1;; ++attempt) {
            try {
                db::Connection& c = data::HostConnection();
                db::TransactionGuard transaction(c);
                // The header is claimed first: the update carries the unaudited condition and
                // holds the header's row lock to the end. A save or a browser delete of this bill
                // that is under way is waited for, and every line read below is one it committed;
                // one that comes later finds the bill audited.
                shared.WorkSql = "UPDATE SubAdjuctPrice SET SHBZ=1,SHRY='" + EscapeQuote(auditor) + "' WHERE LSH='" + key +
                                 "' and isnull(SHBZ,0)=0";
                const bool claimed = c.Execute(shared.WorkSql) > 0;
                shared.WorkSql = "select dwbh,shbz from subadjuctprice where lsh='" + key + "'";
                db::Recordset header = c.OpenRecordset(shared.WorkSql);
                const bool stored = header.RecordCount() > 0;
                const std::string d = stored ? header.Get("dwbh").ToText() : std::string();
                header.Close();
                // A bill never saved, or deleted by another operator meanwhile: nothing would be
                // written, and the auditor's name must not suggest otherwise.
                if (!stored) throw AuditRefused{"此单据不存在，不能审核!"};
                // Auditing again would bring back this bill's older prices over newer ones.
                if (!claimed) throw AuditRefused{"此单据已审核，不能重复审核!"};
                if (d.empty()) throw AuditRefused{"此单据没有指定分支机构，不能审核!"};
                const std::string target = EscapeQuote(d);

                // Present means: a row of this item at this very target (item and target compared
                // one by one, so item 1 at 23 is not taken for item 12 at 3).
                shared.WorkSql = "INSERT INTO GLPRICE (HH,DWBH,SJ,ZK,SELLPRICE ) SELECT HH,'" + target +
                                 "',0,0,SJ2 FROM SubAdjuctPriceMX m where m.lsh='" + key +
                                 "' and not exists (select 1 from glprice g where g.hh=m.hh and g.dwbh='" + target + "')";
                c.Execute(shared.WorkSql);
                shared.WorkSql = "Update a set a.sellprice=b.sj2 from glprice a inner join (select * from SubAdjuctPriceMX where lsh='" +
                                 key + "') b on a.hh=b.hh where a.dwbh='" + target + "'";
                c.Execute(shared.WorkSql);
                transaction.Commit();
                break;
            } catch (const db::Error& e) {
                // Another audit of the same item and target inserted its price row meanwhile (the
                // unique key refuses ours), or a deadlock chose this audit: all of it was rolled
                // back, and once more sees the other's committed rows.
                if (attempt > 1 || !AnotherAuditMeanwhile(e)) throw;
                // The survivor of a deadlock still holds the locks it fought for: a moment lets
                // it finish rather than meet this audit again.
                if (e.Code() != db::ErrorCode::IntegrityViolation) std::this_thread::sleep_for(std::chrono::milliseconds(200));
            }
        }
        TxtSh.SetText(auditor);
        FillLineGrid(TxtLSH.Text());
        SelectLastLine();
    } catch (const AuditRefused& r) {
        ui::MsgBox(r.text, ui::Buttons::Ok, ui::Icon::Exclamation, "系统提示");
    } catch (const std::exception& e) {
        ui::MsgBox(db::DescriptionOf(e), ui::Buttons::Ok, ui::Icon::Exclamation, "系统提示");
    }
}

void FrmAdjuctPrice::Cmd_SaveReckoning_Click() {
    auto& shared = Shared();
    try {
        if (!data::CheckRight("记帐")) return;
        if (ui::MsgBox("确实要记帐吗?", ui::Buttons::YesNo, ui::Icon::Information, "系统提示", ui::DefaultButton::Second) !=
            ui::Answer::Yes)
            return;
        const std::string key = EscapeQuote(TxtLSH.Text());
        shared.WorkSql = "Update SubAdjuctPrice Set Jzbz=1 Where Lsh='" + key + "' And Shbz=1";
        data::HostConnection().Execute(shared.WorkSql);
        shared.WorkSql = "Select Count(*) As Bs From SubAdjuctPrice Where Lsh='" + key + "' And Jzbz=0";
        if (data::GetFieldValue(shared.WorkSql, "bs").ToInt64() > 0) {
            ui::MsgBox("流水号为:" + TxtLSH.Text() + "的单据记帐不成功,可能的原因是单据还没有审核!", ui::Buttons::Ok,
                       ui::Icon::Information, "系统提示");
            return;
        }
        Cmd_Add_Click();
    } catch (const std::exception& e) {
        ui::MsgBox(db::DescriptionOf(e), ui::Buttons::Ok, ui::Icon::Information, "系统提示");
    }
}

}  // namespace bill
