// The bill editor: opening a bill of 300 lines, saving a line of a new and of a stored bill
// (numbering included), and the audit of a 300-line bill, whose prices the hand-written program
// writes with one upsert of the same rows in one transaction.
#include <string>
#include <vector>

#include "bench/BenchEnvironment.h"
#include "bench/EditorSupport.h"
#include "bench/Operations.h"
#include "data/HostContext.h"
#include "ui/Message.h"
#include "ui/Toolkit.h"

namespace bench {
namespace {

constexpr const char* kRawTemplate = "SELECT coalesce(FSQL,'') FROM GLSelect WHERE FDH='分支机构调价商品选择'";

// What the editor shows of a stored bill: its lines, its header and the name of its branch.
void RawLoad(RawDatabase& db, const std::string& lsh) {
    RawStatement(db, "SELECT dh, hh, pm, sj1, sj2 FROM SubAdjuctPricemx WHERE lsh=? ORDER BY dh").Bind(1, lsh).Read();
    RawStatement(db, "SELECT lsh, kdrq, execdate, bz, shry, shbz, czry, dwbh FROM SubAdjuctPrice WHERE lsh=?").Bind(1, lsh).Read();
    RawStatement(db, "SELECT mc FROM gl_custom WHERE tjbh=(SELECT dwbh FROM SubAdjuctPrice WHERE lsh=?)").Bind(1, lsh).Read();
}

void OpenSystem(benchmark::State& state) {
    const std::string lsh = BenchEnvironment::Get().Fix().longBills.front();
    for (auto _ : state) WithEditor(lsh, [](bill::FrmAdjuctPrice&) {});
}

void OpenRaw(benchmark::State& state) {
    const std::string lsh = BenchEnvironment::Get().Fix().longBills.front();
    RawDatabase& db = BenchEnvironment::Get().Raw();
    for (auto _ : state) {
        RawStatement(db, kRawTemplate).Read();
        RawLoad(db, lsh);
    }
}

// The entry strip of one line, as the lookup and the operator leave it.
void FillLine(bill::FrmAdjuctPrice& w, const std::string& item) {
    w.TxtHH.SetText(item);
    w.TxtPM.SetText("华丰精选大米\\5kg\\黑龙江\\袋");
    w.TxtOSj.SetValue(29.9);
    w.TxtNSj.SetValue(31.9);
}

// Save on a new bill; between the runs (untimed) the bill is removed and a new one started.
void SaveNewSystem(benchmark::State& state) {
    auto& env = BenchEnvironment::Get();
    WithEditor("", [&](bill::FrmAdjuctPrice& w) {
        for (auto _ : state) {
            state.PauseTiming();
            w.TxtDwbh.SetText(env.Fix().longBillBranch);
            FillLine(w, env.Fix().exactCode);
            state.ResumeTiming();
            w.Cmd_Save.Click();
            ui::CurrentToolkit().ProcessEvents();
            state.PauseTiming();
            const std::string lsh = w.TxtLSH.Text();
            if (w.VfgContent.Rows() != 2) state.SkipWithError("the new bill was not saved");
            env.SystemExec("DELETE FROM SubAdjuctPricemx WHERE lsh='" + lsh + "'; DELETE FROM SubAdjuctPrice WHERE lsh='" + lsh + "'");
            w.Cmd_Add_Click();
            ui::CurrentToolkit().ProcessEvents();
            state.ResumeTiming();
        }
    });
}

std::string Next(RawDatabase& db, const std::string& sql) {
    RawStatement st(db, sql);
    std::string value = st.Step() && !st.IsNull(0) ? std::to_string(st.Int(0)) : "0";
    while (st.Step()) {}
    return value;
}

void SaveNewRaw(benchmark::State& state) {
    auto& env = BenchEnvironment::Get();
    RawDatabase& db = env.Raw();
    const auto& admin = data::Host().OptName;
    for (auto _ : state) {
        env.Raw().Begin();
        const std::string lsh = std::to_string(std::stoll(Next(db, "SELECT max(cast(lsh as int)) FROM SubAdjuctPrice")) + 1);
        RawStatement(db, "INSERT INTO SubAdjuctPrice (lsh,kdrq,execdate,bz,czry,fyear,fperiod,shbz,shry,jzbz,dwbh,bz5) "
                         "VALUES (?,'2026-12-06','2026-12-06','',?,0,0,0,'',0,?,'')")
            .Bind(1, lsh).Bind(2, admin).Bind(3, env.Fix().longBillBranch).Run();
        RawStatement(db, "INSERT INTO SubAdjuctPricemx (lsh,dh,hh,pm,sj1,sj2) VALUES (?,'100',?,?,29.9,31.9)")
            .Bind(1, lsh).Bind(2, env.Fix().exactCode).Bind(3, "华丰精选大米\\5kg\\黑龙江\\袋").Run();
        env.Raw().Commit();
        RawLoad(db, lsh);
        state.PauseTiming();
        env.Raw().Exec("DELETE FROM SubAdjuctPricemx WHERE lsh='" + lsh + "'; DELETE FROM SubAdjuctPrice WHERE lsh='" + lsh + "'");
        state.ResumeTiming();
    }
}

// Save of one more line on a stored bill of a few lines; between the runs the line is removed.
void SaveStoredSystem(benchmark::State& state) {
    auto& env = BenchEnvironment::Get();
    const std::string lsh = env.Fix().smallBill;
    const std::string keep = Next(env.Raw(), "SELECT max(cast(dh as int)) FROM SubAdjuctPricemx WHERE lsh='" + lsh + "'");
    WithEditor(lsh, [&](bill::FrmAdjuctPrice& w) {
        for (auto _ : state) {
            state.PauseTiming();
            FillLine(w, env.Fix().exactCode);
            state.ResumeTiming();
            w.Cmd_Save.Click();
            ui::CurrentToolkit().ProcessEvents();
            state.PauseTiming();
            env.SystemExec("DELETE FROM SubAdjuctPricemx WHERE lsh='" + lsh + "' AND cast(dh as int)>" + keep);
            state.ResumeTiming();
        }
    });
}

void SaveStoredRaw(benchmark::State& state) {
    auto& env = BenchEnvironment::Get();
    RawDatabase& db = env.Raw();
    const std::string lsh = env.Fix().smallBill;
    const std::string keep = Next(db, "SELECT max(cast(dh as int)) FROM SubAdjuctPricemx WHERE lsh='" + lsh + "'");
    for (auto _ : state) {
        env.Raw().Begin();
        const std::string dh =
            std::to_string(std::stoll(Next(db, "SELECT max(cast(dh as int)) FROM SubAdjuctPricemx WHERE lsh='" + lsh + "'")) + 100);
        RawStatement(db, "UPDATE SubAdjuctPrice SET kdrq='2026-12-06',bz='',dwbh=dwbh,bz5='' WHERE lsh=? AND coalesce(shbz,0)=0")
            .Bind(1, lsh).Run();
        RawStatement(db, "INSERT INTO SubAdjuctPricemx (lsh,dh,hh,pm,sj1,sj2) VALUES (?,?,?,?,29.9,31.9)")
            .Bind(1, lsh).Bind(2, dh).Bind(3, env.Fix().exactCode).Bind(4, "华丰精选大米\\5kg\\黑龙江\\袋").Run();
        env.Raw().Commit();
        RawLoad(db, lsh);
        state.PauseTiming();
        env.Raw().Exec("DELETE FROM SubAdjuctPricemx WHERE lsh='" + lsh + "' AND cast(dh as int)>" + keep);
        state.ResumeTiming();
    }
}

// The prices a run of the audit leaves behind are taken back between the runs: the bill open
// again, the rows it added to glprice removed.
std::string UndoAudit(const std::string& lsh, const std::string& branch, const std::vector<std::string>& added) {
    std::string undo = "UPDATE SubAdjuctPrice SET shbz=0, shry='' WHERE lsh='" + lsh + "'";
    if (added.empty()) return undo;  // every item of the bill had its price already (the demo set)
    std::string list;
    for (const auto& hh : added) list += (list.empty() ? "'" : ",'") + hh + "'";
    return undo + "; DELETE FROM glprice WHERE dwbh='" + branch + "' AND hh IN (" + list + ")";
}

std::vector<std::string> Unpriced(const std::string& lsh, const std::string& branch) {
    return BenchEnvironment::Get().Raw().Column("SELECT hh FROM SubAdjuctPricemx m WHERE lsh='" + lsh +
                                                "' AND NOT EXISTS (SELECT 1 FROM glprice g WHERE g.hh=m.hh AND g.dwbh='" +
                                                branch + "')");
}

void AuditSystem(benchmark::State& state) {
    auto& env = BenchEnvironment::Get();
    const std::string lsh = env.Fix().longBills.front(), branch = env.Fix().longBillBranch;
    const std::string undo = UndoAudit(lsh, branch, Unpriced(lsh, branch));
    WithEditor(lsh, [&](bill::FrmAdjuctPrice& w) {
        for (auto _ : state) {
            state.PauseTiming();
            env.Toolkit().ClearMessages();
            env.Toolkit().QueueAnswer(ui::Answer::Yes);  // "确实要审核此单据吗?"
            state.ResumeTiming();
            w.Toolbar1.Press("审核");
            state.PauseTiming();
            if (w.TxtSh.Text().empty()) state.SkipWithError("the bill was not audited");
            env.SystemExec(undo);
            w.TxtSh.SetText("");
            state.ResumeTiming();
        }
    });
}

// What a hand-written program does for the same effect: the right, the bill's target and date,
// the refusal of an item named twice and the warning about later audits of its items (both found
// empty here), the prices as one upsert with the audited mark in one transaction, and the lines
// shown again.
void AuditRaw(benchmark::State& state) {
    auto& env = BenchEnvironment::Get();
    RawDatabase& db = env.Raw();
    const std::string lsh = env.Fix().longBills.front(), branch = env.Fix().longBillBranch;
    const std::string undo = UndoAudit(lsh, branch, Unpriced(lsh, branch));
    for (auto _ : state) {
        RawStatement(db, "SELECT count(*) FROM t_OperatorRight WHERE FModule='00000368' AND FOperator='0001' AND FRight='审核'").Read();
        RawStatement(db, "SELECT hh FROM SubAdjuctPricemx WHERE lsh=? GROUP BY hh HAVING count(*)>1 LIMIT 1").Bind(1, lsh).Read();
        RawStatement(db, "SELECT 1 FROM SubAdjuctPrice h JOIN SubAdjuctPricemx m ON m.lsh=h.lsh JOIN SubAdjuctPricemx a ON a.hh=m.hh "
                         "JOIN SubAdjuctPrice b ON b.lsh=a.lsh WHERE h.lsh=? AND b.dwbh=h.dwbh AND b.shbz=1 AND b.kdrq>h.kdrq LIMIT 1")
            .Bind(1, lsh)
            .Read();
        env.Raw().Begin();
        RawStatement(db, "SELECT dwbh FROM SubAdjuctPrice WHERE lsh=?").Bind(1, lsh).Read();
        RawStatement(db, "INSERT INTO glprice (HH,DWBH,SJ,ZK,SELLPRICE) SELECT hh, ?, 0, 0, sj2 FROM SubAdjuctPricemx "
                         "WHERE lsh=? ON CONFLICT(HH,DWBH) DO UPDATE SET SELLPRICE=excluded.SELLPRICE")
            .Bind(1, branch).Bind(2, lsh).Run();
        RawStatement(db, "UPDATE SubAdjuctPrice SET shbz=1, shry=? WHERE lsh=?").Bind(1, data::Host().OptName).Bind(2, lsh).Run();
        env.Raw().Commit();
        RawStatement(db, "SELECT dh, hh, pm, sj1, sj2 FROM SubAdjuctPricemx WHERE lsh=? ORDER BY dh").Bind(1, lsh).Read();
        state.PauseTiming();
        env.Raw().Exec(undo);
        state.ResumeTiming();
    }
}

}  // namespace

void RegisterEditorOperations() {
    const auto& f = BenchEnvironment::Get().Fix();
    if (!f.longBills.empty()) RegisterOperation("opening a 300-line bill", OpenSystem, OpenRaw);
    if (!f.longBillBranch.empty()) RegisterOperation("saving a line of a new bill", SaveNewSystem, SaveNewRaw);
    if (!f.smallBill.empty()) RegisterOperation("saving a line of a stored bill", SaveStoredSystem, SaveStoredRaw);
    if (!f.longBills.empty() && !f.longBillBranch.empty())
        RegisterOperation("audit of a 300-line bill", AuditSystem, AuditRaw);
}

}  // namespace bench
