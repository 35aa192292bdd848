#include "bill/BillWriter.h"

#include <algorithm>

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

bool ByBranchType() { return data::Host().BranchMode == data::ByBranchType; }

}  // namespace

BillWriter::BillWriter(FrmAdjuctPrice& editor, db::Connection& c) : editor_(editor), c_(c) {}

bool BillWriter::HeaderExists(const std::string& lsh) {
    db::Recordset rs = c_.OpenRecordset("select count(*) as bs from SubAdjuctPrice where lsh='" + EscapeQuote(lsh) + "'");
    const bool exists = rs.RecordCount() > 0 && rs.Get(0).ToInt64() > 0;
    rs.Close();
    return exists;
}

bool BillWriter::HeaderAudited(const std::string& lsh) {
    db::Recordset rs = c_.OpenRecordset("Select shbz from SubAdjuctPrice where lsh='" + EscapeQuote(lsh) + "'");
    const bool audited = rs.RecordCount() > 0 && !rs.Get(0).IsNull() && rs.Get(0).ToBool();
    rs.Close();
    return audited;
}

void BillWriter::UpdateHeader(const std::string& beforeWhere) {
    auto& shared = Shared();
    // A header update changes only an unaudited header, so a bill audited by someone else since
    // it was loaded keeps what the auditor saw.
    std::string sql = "update SubAdjuctPrice set kdrq='" + editor_.DtpKdrq.Value().ToText() + "',execdate='" +
                      editor_.DtpExecDate.Value().ToText() + "',bz='" + EscapeQuote(editor_.TxtBZ.Text()) + "',czry='" +
                      EscapeQuote(editor_.TxtCzryName.Text()) + "',dwbh='" + EscapeQuote(editor_.TxtDwbh.Text()) +
                      (ByBranchType() ? "',bz5='1'" : "',bz5=''") + beforeWhere + "where lsh='" + EscapeQuote(shared.CurrentLsh) +
                      "' and isnull(shbz,0)=0";
    if (c_.Execute(sql) > 0) return;
    if (HeaderAudited(shared.CurrentLsh)) throw BillRefused{kAuditedNoChange, ui::Icon::Information};
    throw BillRefused{"流水号为" + shared.CurrentLsh + "的单据已不存在，未保存!", ui::Icon::Exclamation};
}

void BillWriter::WriteHeaderForLineAmend() { UpdateHeader(" "); }

void BillWriter::WriteHeaderForStoredBill() {
    if (HeaderExists(Shared().CurrentLsh))
        UpdateHeader("  ");
    else
        InsertHeader();
}

void BillWriter::InsertHeader() {
    InsertHeader({Shared().CurrentLsh, editor_.DtpKdrq.Value().ToText(), editor_.DtpExecDate.Value().ToText(),
                  editor_.TxtBZ.Text(), editor_.TxtCzryName.Text(), editor_.TxtDwbh.Text(), ByBranchType()});
}

void BillWriter::InsertHeader(const BillHeader& h) {
    std::string sql = "insert into SubAdjuctPrice (lsh,kdrq,execdate,bz,czry,fyear,fperiod,shbz,shry,jzbz,dwbh,bz5) values ('" +
                      EscapeQuote(h.lsh) + "','" + h.kdrq + "','" + h.execdate + "','" + EscapeQuote(h.bz) + "','" +
                      EscapeQuote(h.czry) + "',0,0,0,'',0,'" + EscapeQuote(h.dwbh) + (h.byBranchType ? "','1')" : "','')");
    c_.Execute(sql);
}

void BillWriter::RefuseItemOnBill(const std::string& hh, const std::string& exceptDh) {
    db::Recordset rs = c_.OpenRecordset("select dh from SubAdjuctPricemx where lsh='" + EscapeQuote(Shared().CurrentLsh) +
                                        "' and hh='" + EscapeQuote(hh) + "' and dh<>'" + EscapeQuote(exceptDh) + "'");
    if (rs.RecordCount() == 0) return;
    throw BillRefused{"单据上已有此商品（单号为" + rs.Get(0).ToText() + "），不能重复录入!", ui::Icon::Exclamation};
}

void BillWriter::InsertLine(const std::string& hh, const std::string& pm, double sj1, double sj2) {
    const auto& shared = Shared();
    InsertLines({{shared.CurrentLsh, shared.CurrentDh, hh, pm, sj1, sj2}});
}

void BillWriter::InsertLines(const std::vector<BillLine>& lines) {
    for (size_t from = 0; from < lines.size(); from += kLinesPerInsert) {
        const size_t to = std::min(lines.size(), from + kLinesPerInsert);
        std::string sql = "insert into SubAdjuctPricemx (lsh,dh,hh,pm,sj1,sj2) values ";
        sql.reserve(sql.size() + (to - from) * 96);
        for (size_t i = from; i < to; ++i) {
            const BillLine& l = lines[i];
            if (i > from) sql += ',';
            sql += "('" + EscapeQuote(l.lsh) + "','" + EscapeQuote(l.dh) + "','" + EscapeQuote(l.hh) + "','" +
                   EscapeQuote(l.pm) + "'," + db::FormatDouble(l.sj1) + "," + db::FormatDouble(l.sj2) + ")";
        }
        c_.Execute(sql);
    }
}

bool BillWriter::UpdateLine(const std::string& dh, const std::string& hh, const std::string& pm, double sj1, double sj2) {
    auto& shared = Shared();
    const std::string lsh = EscapeQuote(shared.CurrentLsh);
    std::string sql = "Update SubAdjuctPricemx set lsh='" + lsh + "',hh='" + EscapeQuote(hh) + "',pm='" + EscapeQuote(pm) + "'" +
                      ",sj1=" + db::FormatDouble(sj1) + ",sj2=" + db::FormatDouble(sj2) + " where lsh='" + lsh + "' and dh='" +
                      EscapeQuote(dh) + "'";
    return c_.Execute(sql) > 0;
}

void BillWriter::ClaimUnauditedHeader(const std::string& lsh) {
    std::string sql = "update SubAdjuctPrice set shbz=0 where lsh='" + EscapeQuote(lsh) + "' and isnull(shbz,0)=0";
    if (c_.Execute(sql) > 0) return;
    if (HeaderAudited(lsh)) throw BillRefused{kAuditedNoChange, ui::Icon::Information};
    throw BillRefused{"流水号为" + lsh + "的单据已不存在，未保存!", ui::Icon::Exclamation};
}

void BillWriter::ReportFailure(const std::exception& e, bool inserting) {
    const auto* dbError = dynamic_cast<const db::Error*>(&e);
    if (inserting && dbError && dbError->Code() == db::ErrorCode::IntegrityViolation)
        ui::MsgBox(dbError->Description() + "\n有另一个操作员同时建立了信息,请再次点击“保存”按钮！", ui::Buttons::Ok,
                   ui::Icon::Exclamation, "系统提示");
    else
        ui::MsgBox(db::DescriptionOf(e), ui::Buttons::Ok, ui::Icon::Critical, "错误:");
}

bool BillWriter::StoredAudited(const std::string& lsh) {
    std::string sql = "Select shbz from SubAdjuctPrice where lsh='" + data::EscapeQuote(lsh) + "'";
    try {
        return data::GetFieldValue(sql, "shbz").ToBool();
    } catch (...) {
        return false;
    }
}

bool BillWriter::RefuseIfAudited(const std::string& lsh) {
    if (!StoredAudited(lsh)) return false;
    ui::MsgBox(kAuditedNoChange, ui::Buttons::Ok, ui::Icon::Information, "系统提示");
    return true;
}

void BillWriter::ReportRefusal(const BillRefused& r) { ui::MsgBox(r.text, ui::Buttons::Ok, r.icon, "系统提示"); }

std::string BillWriter::AddLines(FrmAdjuctPrice& editor, const LineWriting& write) {
    auto& shared = Shared();
    const std::string picked = shared.CurrentDh;
    try {
        ui::BusyPointer busy;
        db::Connection& c = data::HostConnection();
        db::TransactionGuard transaction(c);
        const bool newBill = shared.IsNewBill;
        if (newBill)
            editor.NewLsh();
        else
            shared.CurrentLsh = editor.TxtLSH.Text();
        const std::string lsh = shared.CurrentLsh;
        BillWriter writer(editor, c);
        if (newBill)
            writer.InsertHeader();
        else
            writer.WriteHeaderForStoredBill();
        write(c, lsh, writer);
        transaction.Commit();
        return lsh;
    } catch (const BillRefused& r) {
        shared.CurrentDh = picked;
        ReportRefusal(r);
    } catch (const std::exception& e) {
        shared.CurrentDh = picked;
        ReportFailure(e);
    }
    return {};
}

}  // namespace bill
