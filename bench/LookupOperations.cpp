// The item lookup at a branch in the editor's item field: Enter on an exact code, Enter on a name
// mnemonic (the exact code is tried first and finds nothing), and F7 for the whole list, each up to
// the picker's model, the fields filled and the warning about other open bills of the item.
#include <string>

#include "bench/BenchEnvironment.h"
#include "bench/EditorSupport.h"
#include "bench/Operations.h"
#include "bench/PickerModelLookup.h"
#include "ui/Keys.h"

namespace bench {
namespace {

std::string RawItems(const std::string& branch, const std::string& condition) {
    return "SELECT a.hh, a.pm, a.gg, a.cd, a.pdw, b.sellprice FROM yw_kck a LEFT JOIN glprice b ON b.hh=a.hh AND b.dwbh='" +
           branch + "' WHERE coalesce(a.FDeleted,0)=0" + condition + " ORDER BY a.hh";
}

// Other unaudited bills for the branch that change the item.
void RawOpenBillsOfItem(RawDatabase& db, const std::string& item, const std::string& branch) {
    RawStatement(db,
                 "SELECT b.lsh FROM SubAdjuctPricemx a JOIN SubAdjuctPrice b ON a.lsh=b.lsh WHERE a.hh='" + item +
                     "' AND b.dwbh='" + branch + "' AND coalesce(b.shbz,0)=0 GROUP BY b.lsh ORDER BY cast(b.lsh as int)")
        .Read();
}

void TypeAndPress(benchmark::State& state, const std::string& typed, int key) {
    WithEditor("", [&](bill::FrmAdjuctPrice& w) {
        w.TxtDwbh.SetText(BenchEnvironment::Get().Fix().branch);
        for (auto _ : state) {
            w.TxtHH.SetText(typed);
            PressKey(w, w.TxtHH, key);
            if (w.TxtPM.Text().empty()) state.SkipWithError("no item was filled in");
            state.PauseTiming();
            w.TxtPM.SetText("");
            state.ResumeTiming();
        }
        state.counters["rows"] = PickerModelLookup::LastModelRows();
    });
}

void ExactSystem(benchmark::State& state) { TypeAndPress(state, BenchEnvironment::Get().Fix().exactCode, ui::Key::Enter); }

void ExactRaw(benchmark::State& state) {
    const auto& f = BenchEnvironment::Get().Fix();
    RawDatabase& db = BenchEnvironment::Get().Raw();
    for (auto _ : state) {
        RawStatement(db, RawItems(f.branch, " AND a.hh='" + f.exactCode + "'")).Read();
        RawOpenBillsOfItem(db, f.exactCode, f.branch);
    }
}

void MnemonicSystem(benchmark::State& state) { TypeAndPress(state, BenchEnvironment::Get().Fix().mnemonic, ui::Key::Enter); }

void MnemonicRaw(benchmark::State& state) {
    const auto& f = BenchEnvironment::Get().Fix();
    RawDatabase& db = BenchEnvironment::Get().Raw();
    for (auto _ : state) {
        RawStatement(db, RawItems(f.branch, " AND a.hh='" + f.mnemonic + "'")).Read();
        RawStatement(db, RawItems(f.branch, " AND a.pm_zjm LIKE '" + f.mnemonic + "%'")).Read();
        RawOpenBillsOfItem(db, f.firstMnemonicItem, f.branch);
    }
}

void WholeListSystem(benchmark::State& state) { TypeAndPress(state, "", ui::Key::F7); }

void WholeListRaw(benchmark::State& state) {
    const auto& f = BenchEnvironment::Get().Fix();
    RawDatabase& db = BenchEnvironment::Get().Raw();
    for (auto _ : state) {
        RawStatement(db, RawItems(f.branch, "")).Read();
        RawOpenBillsOfItem(db, f.firstItem, f.branch);
    }
}

}  // namespace

void RegisterLookupOperations() {
    RegisterOperation("item lookup by exact code", ExactSystem, ExactRaw);
    RegisterOperation("item lookup by mnemonic", MnemonicSystem, MnemonicRaw);
    RegisterOperation("item lookup whole list (F7)", WholeListSystem, WholeListRaw);
}

}  // namespace bench
