// Bringing stored data onto the editor: a whole bill (header and lines), one line with its header
// for amendment, and the line grid.
#include "bill/EditorState.h"
#include "bill/FrmAdjuctPrice.h"
#include "bill/PriceRounding.h"
#include "data/HostContext.h"
#include "data/QueryRoutines.h"
#include "db/Error.h"
#include "ui/Toolkit.h"

namespace bill {
namespace {

using data::EscapeQuote;

const db::DateTime kNoDate{1900, 1, 1};

db::DateTime DateOr(const db::Value& v, const db::DateTime& instead) { return v.IsNull() || v.IsEmpty() ? instead : v.ToDate(); }

double NumberOrZero(const db::Value& v) { return v.IsNull() || v.IsEmpty() ? 0.0 : v.ToDouble(); }

// The audited flag of a header row: anything but null, empty and 0.
bool Audited(const db::Value& v) {
    try {
        return !(v.IsNull() || v.IsEmpty()) && v.ToBool();
    } catch (...) {
        return false;
    }
}

db::Recordset Required(std::optional<db::Recordset> rs) {
    // The query routine has already reported why there is no result.
    if (!rs) throw db::Error(db::ErrorCode::ClosedObject, "对象关闭时，不允许操作。");
    return *rs;
}

}  // namespace

void FrmAdjuctPrice::FillLineGrid(const std::string& lsh) {
    try {
        std::string sql = std::string("select a.dh as 单号,a.hh as 货号,a.pm as 品名,") +
                          "a.sj1 as 原售价,a.sj2 as 新售价 from SubAdjuctPricemx a where a.lsh='" + EscapeQuote(lsh) +
                          "' order by a.dh";
        auto rs = data::GetRecordset(sql);
        if (rs) {
            // Line numbers are texts: 1000 comes after 900, so the newest line is the last row.
            rs->Sort(rs->Field(0).name + " ASC");
            VfgContent.Bind(*rs);
            const int decimals = PriceDecimals();
            VfgContent.SetColFormat(4, {.decimals = decimals});
            VfgContent.SetColFormat(5, {.decimals = decimals});
        } else {
            VfgContent.Unbind();
        }
    } catch (...) {
    }
}

void FrmAdjuctPrice::SelectLastLine() {
    try {
        VfgContent.Select(VfgContent.Rows() - 1, 1);
    } catch (...) {
    }
}

void FrmAdjuctPrice::AmendAddNew(const std::string& id) {
    auto& shared = Shared();
    const auto& host = data::Host();
    try {
        shared.IsNewBill = false;
        shared.IsLineAmend = false;
        FillLineGrid(id);
        SelectLastLine();
        std::string sql =
            "select lsh,kdrq,execdate,bz,shry,shbz,czry,dwbh from SubAdjuctPrice where lsh='" + EscapeQuote(id) + "'";
        SetPriceFormat();
        rsBill = Required(data::GetRecordset(sql));
        TxtLSH.SetText(id);
        bool audited = false;
        if (rsBill.RecordCount() == 0) {
            TxtCzryName.SetText(host.OptName);
            DtpKdrq.SetValue(host.SysDate);
            TxtBZ.SetText("");
            TxtSh.SetText("");
            DtpExecDate.SetValue(host.SysDate);
            TxtDwbh.SetText("");
            txtDwmc.SetText("");
        } else {
            rsBill.MoveFirst();
            TxtCzryName.SetText(rsBill.Get("czry").ToText());
            DtpKdrq.SetValue(DateOr(rsBill.Get("kdrq"), host.SysDate));
            TxtBZ.SetText(rsBill.Get("bz").ToText());
            TxtSh.SetText(rsBill.Get("shry").ToText());
            TxtDwbh.SetText(rsBill.Get("dwbh").ToText());
            const std::string code = EscapeQuote(TxtDwbh.Text());
            const db::Value name = host.BranchMode == data::ByBranchType
                                       ? data::GetFieldValue("select name from glsx where fid=3 and id='" + code + "'", "name")
                                       : data::GetFieldValue("select mc from gl_custom where tjbh='" + code + "'", "mc");
            txtDwmc.SetText(name.ToText());
            DtpExecDate.SetValue(DateOr(rsBill.Get("execdate"), kNoDate));
            audited = Audited(rsBill.Get("shbz"));
        }
        TxtHH.SetText("");
        TxtPM.SetText("");
        TxtNSj.SetValue(0);
        TxtOSj.SetValue(0);
        rsBill.Close();
        rsBill = db::Recordset();
        conflictNote_.clear();
        doubtNote_.clear();
        ShowAudited(audited);
        MarkHeaderSaved();
        MarkStripSaved();
        Tmr.SwitchOn();
    } catch (const std::exception& e) {
        ui::MsgBox(db::DescriptionOf(e) + "\n数据添加失败,请与管理员联系！", ui::Buttons::Ok, ui::Icon::Critical, "错误:");
        try {
            if (rsBill.IsOpen()) rsBill.Close();
        } catch (...) {
        }
        rsBill = db::Recordset();
    }
}

void FrmAdjuctPrice::LoadLine(const std::string& lsh, const std::string& dh) {
    auto& shared = Shared();
    try {
        // The strip counts as holding a stored line only once that line is loaded; a failed load
        // leaves the next save adding a line rather than updating one that is not there.
        shared.IsLineAmend = false;
        shared.IsNewBill = false;
        const bool byType = data::Host().BranchMode == data::ByBranchType;
        const std::string sql =
            std::string("select b.lsh,a.dh,a.hh,a.pm,a.sj1,a.sj2,b.fyear,b.fperiod,") +
            (byType ? "b.jzbz,b.shbz,b.kdrq,b.execdate,b.bz,b.czry,b.shry,b.dwbh,e.mc from SubAdjuctPricemx a inner join "
                      "SubAdjuctPrice b on a.lsh=b.lsh left join (select id as tjbh,name as mc from glsx where fid=3) e on "
                      "b.dwbh=e.tjbh "
                    : "b.jzbz,b.shbz,b.kdrq,b.execdate,b.bz,b.czry,b.shry,b.dwbh,e.mc from SubAdjuctPricemx a inner join "
                      "SubAdjuctPrice b on a.lsh=b.lsh left join gl_custom e on b.dwbh=e.tjbh ") +
            " where b.lsh='" + EscapeQuote(lsh) + "' and a.dh='" + EscapeQuote(dh) + "'";
        rsBill = Required(data::GetRecordset(sql));
        // A line of the bill already shown leaves its header fields as they stand: what the
        // operator changed there is saved with the line, not quietly replaced.
        const bool headerShown = TxtLSH.Text() == lsh;
        if (!headerShown) {
            TxtBZ.SetText(rsBill.Get("BZ").ToText());
            TxtCzryName.SetText(rsBill.Get("CZRY").ToText());
            TxtDwbh.SetText(rsBill.Get("Dwbh").ToText());
            txtDwmc.SetText(rsBill.Get("mc").ToText());
            DtpExecDate.SetValue(DateOr(rsBill.Get("EXECDATE"), kNoDate));
            DtpKdrq.SetValue(DateOr(rsBill.Get("KDRQ"), db::DateTime::Today()));
        }
        TxtHH.SetText(rsBill.Get("HH").ToText());
        TxtLSH.SetText(rsBill.Get("LSH").ToText());
        TxtNSj.SetValue(NumberOrZero(rsBill.Get("SJ2")));
        TxtOSj.SetValue(NumberOrZero(rsBill.Get("SJ1")));
        TxtPM.SetText(rsBill.Get("PM").ToText());
        TxtSh.SetText(rsBill.Get("SHRY").ToText());
        const bool audited = Audited(rsBill.Get("SHBZ"));
        rsBill.Close();
        rsBill = db::Recordset();
        shared.IsLineAmend = true;
        if (!headerShown) MarkHeaderSaved();
        MarkStripSaved();
        conflictNote_.clear();
        ShowAudited(audited);
        CheckLineValues();
        SetFocus(TxtNSj);
        TxtNSj.SelectAll();
    } catch (const std::exception& e) {
        ui::MsgBox(db::DescriptionOf(e), ui::Buttons::Ok, ui::Icon::Exclamation, "系统提示");
        try {
            if (rsBill.IsOpen()) rsBill.Close();
        } catch (...) {
        }
        rsBill = db::Recordset();
    }
}

}  // namespace bill
