// Audit (the bill's new prices into glprice, the bill marked audited, in one transaction) and
// posting (the posted flag of an audited bill).
#include <chrono>
#include <thread>

#include "bill/EditorState.h"
#include "bill/FrmAdjuctPrice.h"
#include "bill/LineChecks.h"
#include "bill/PendingPrices.h"
#include "bill/PriceConflicts.h"
#include "data/HostContext.h"
#include "data/QueryRoutines.h"
#include "data/Rights.h"
#include "data/SystemSettings.h"
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

constexpr size_t kDoubtfulLinesNamed = 10;

db::DateTime DateOrNone(const db::Value& v) {
    try {
        return v.IsNull() || v.IsEmpty() ? db::DateTime{} : v.ToDate();
    } catch (...) {
        return {};
    }
}

}  // namespace

void FrmAdjuctPrice::AuditCommand() {
    if (!data::CheckRight("审核")) return;
    const std::string lsh = TxtLSH.Text();
    // What the question's answer cannot change is said before asking it.
    const AuditHeader header = AuditHeaderBeforeAsking(lsh);
    if (!header.refusal.empty()) {
        ui::MsgBox(header.refusal, ui::Buttons::Ok, ui::Icon::Exclamation, "系统提示");
        return;
    }
    if (ui::MsgBox(AuditDoubts(lsh, header.execBeforeBillDate) + "确实要审核此单据吗?", ui::Buttons::YesNo,
                   ui::Icon::Information, "系统提示", ui::DefaultButton::Second) != ui::Answer::Yes)
        return;
    if (CheckBeforeAudit(lsh) && ConfirmLaterAudits(*this, lsh)) AuditBill(lsh);
}

FrmAdjuctPrice::AuditHeader FrmAdjuctPrice::AuditHeaderBeforeAsking(const std::string& lsh) {
    if (Shared().IsNewBill) return {.refusal = "此单据尚未保存，不能审核!"};
    try {
        // One read for the refusals and the date's doubt: on a server each statement is a round trip.
        db::Recordset header = data::HostConnection().OpenRecordset("select shbz,kdrq,execdate from SubAdjuctPrice where lsh='" +
                                                                    EscapeQuote(lsh) + "'");
        if (header.RecordCount() == 0) return {.refusal = "此单据不存在，不能审核!"};
        const db::Value shbz = header.Get("shbz");
        if (!(shbz.IsNull() || shbz.IsEmpty()) && shbz.ToBool()) return {.refusal = "此单据已审核，不能重复审核!"};
        return {.refusal = {},
                .execBeforeBillDate =
                    ExecutesBeforeBillDate(DateOrNone(header.Get("kdrq")), DateOrNone(header.Get("execdate")))};
    } catch (...) {
        // The audit itself reads the header again and reports what fails there.
    }
    return {};
}

std::string FrmAdjuctPrice::AuditDoubts(const std::string& lsh, bool execBeforeBillDate) {
    std::vector<std::string> lines;
    if (execBeforeBillDate) lines.push_back(kExecBeforeBillDate);
    size_t doubtful = 0;
    try {
        db::Connection& c = data::HostConnection();
        const int limit = data::Settings().PriceChangeWarnPercent;
        db::Recordset rs =
            c.OpenRecordset("select hh,sj1,sj2 from SubAdjuctPricemx where lsh='" + EscapeQuote(lsh) + "' order by dh");
        for (long i = 0; i < rs.RecordCount(); ++i) {
            auto number = [&](int col) {
                const db::Value v = rs.At(i, col);
                return v.IsNull() || v.IsEmpty() ? 0.0 : v.ToDouble();
            };
            const std::vector<std::string> doubts = PriceDoubts(number(1), number(2), limit);
            if (doubts.empty()) continue;
            if (++doubtful <= kDoubtfulLinesNamed) lines.push_back(LineDoubtText(rs.At(i, 0).ToText(), doubts));
        }
        rs.Close();
    } catch (...) {
        return {};  // the question is asked all the same; the audit reports a failing database
    }
    if (lines.empty()) return {};
    std::string text = "以下明细请核对：";
    for (const auto& l : lines) text += "\n" + l;
    if (doubtful > kDoubtfulLinesNamed) text += "\n……共" + std::to_string(doubtful) + "条明细";
    return text + "\n";
}

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
    const std::string auditor = data::Host().OptName;
    const std::string key = EscapeQuote(lsh);
    const bool waits = PricesWaitForExecDate();
    std::optional<db::DateTime> waitUntil;
    try {
        if (waits) EnsurePendingTable(data::HostConnection());  // outside the transaction
        for (int attempt = 1;; ++attempt) {
            try {
                db::Connection& c = data::HostConnection();
                db::TransactionGuard transaction(c);
                // The header is claimed first: the update carries the unaudited condition and
                // holds the header's row lock to the end. A save or a browser delete of this bill
                // that is under way is waited for, and every line read below is one it committed;
                // one that comes later finds the bill audited.
                std::string sql = "UPDATE SubAdjuctPrice SET SHBZ=1,SHRY='" + EscapeQuote(auditor) + "' WHERE LSH='" + key +
                                  "' and isnull(SHBZ,0)=0";
                const bool claimed = c.Execute(sql) > 0;
                sql = "select dwbh,shbz from subadjuctprice where lsh='" + key + "'";
                db::Recordset header = c.OpenRecordset(sql);
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

                waitUntil = waits ? WaitingDate(c, key) : std::nullopt;
                if (waitUntil) StagePendingPrices(c, key, target, *waitUntil);
                else WriteTargetPrices(c, key, target);
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
        ShowAudited(true);
        if (waitUntil) ui::MsgBox(TakesEffectText(*waitUntil), ui::Buttons::Ok, ui::Icon::Information, "系统提示");
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
        // A bill never saved has no header to post; said before the question, not after.
        if (shared.IsNewBill) {
            ui::MsgBox("此单据尚未保存，不能记帐!", ui::Buttons::Ok, ui::Icon::Information, "系统提示");
            return;
        }
        if (ui::MsgBox("确实要记帐吗?", ui::Buttons::YesNo, ui::Icon::Information, "系统提示", ui::DefaultButton::Second) !=
            ui::Answer::Yes)
            return;
        const std::string key = EscapeQuote(TxtLSH.Text());
        std::string sql = "Update SubAdjuctPrice Set Jzbz=1 Where Lsh='" + key + "' And Shbz=1";
        const long long posted = data::HostConnection().Execute(sql);
        sql = "Select Count(*) As Bs From SubAdjuctPrice Where Lsh='" + key + "' And Jzbz=0";
        if (data::GetFieldValue(sql, "bs").ToInt64() > 0) {
            ui::MsgBox("流水号为:" + TxtLSH.Text() + "的单据记帐不成功,可能的原因是单据还没有审核!", ui::Buttons::Ok,
                       ui::Icon::Information, "系统提示");
            return;
        }
        // Deleted by another operator since it was opened: nothing was posted, and moving on to a
        // new bill would tell the operator otherwise.
        if (posted == 0 &&
            data::GetFieldValue("Select Count(*) As Bs From SubAdjuctPrice Where Lsh='" + key + "'", "bs").ToInt64() == 0) {
            ui::MsgBox("此单据不存在，不能记帐!", ui::Buttons::Ok, ui::Icon::Information, "系统提示");
            return;
        }
        Cmd_Add_Click();
    } catch (const std::exception& e) {
        ui::MsgBox(db::DescriptionOf(e), ui::Buttons::Ok, ui::Icon::Information, "系统提示");
    }
}

}  // namespace bill
