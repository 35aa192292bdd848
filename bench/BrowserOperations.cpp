// The browser: opening it, its list with the clean-up (refresh), the sort on a column and posting
// 100 marked bills.
#include <algorithm>
#include <numeric>
#include <string>
#include <vector>

#include "bench/BenchEnvironment.h"
#include "bench/Operations.h"
#include "browser/FrmBrowser.h"
#include "db/NaturalOrder.h"
#include "ui/Keys.h"
#include "ui/Message.h"

namespace bench {
namespace {

constexpr const char* kRawList =
    "SELECT lsh, kdrq, bz, czry, shbz, shry FROM SubAdjuctPrice WHERE jzbz=0 AND coalesce(bz5,'')='' ORDER BY lsh";
constexpr const char* kRawCleanUp =
    "DELETE FROM SubAdjuctPrice WHERE coalesce(shbz,0)=0 AND NOT EXISTS (SELECT 1 FROM SubAdjuctPricemx b WHERE b.lsh=SubAdjuctPrice.lsh)";
constexpr const char* kRawRight =
    "SELECT count(*) FROM t_OperatorRight WHERE FModule='00000368' AND FOperator='0001' AND FRight=?";
constexpr int kPosted = 100;

// Shows the browser on the headless toolkit and runs `act` on it once its list is loaded.
template <typename Act>
void WithBrowser(Act act) {
    browser::FrmBrowser w;
    BenchEnvironment::Get().Toolkit().OnShow("FrmBrowser", [&](ui::Window&) { act(w); });
    w.ShowModal();
}

void OpenSystem(benchmark::State& state) {
    for (auto _ : state) {
        browser::FrmBrowser w;
        w.ShowModal();  // loads the list, then closes: no action is registered
        benchmark::DoNotOptimize(w.ListSql.size());
    }
}

void OpenRaw(benchmark::State& state) {
    RawDatabase& db = BenchEnvironment::Get().Raw();
    for (auto _ : state) {
        RawStatement(db, kRawRight).Bind(1, "查看所有用户").Read();
        RawStatement(db, kRawList).Read();
    }
}

void RefreshSystem(benchmark::State& state) {
    WithBrowser([&](browser::FrmBrowser& w) {
        for (auto _ : state) w.RefreshList();
        state.counters["rows"] = static_cast<double>(w.rsMain.RecordCount());
    });
}

void RefreshRaw(benchmark::State& state) {
    RawDatabase& db = BenchEnvironment::Get().Raw();
    for (auto _ : state) {
        RawStatement(db, kRawCleanUp).Run();
        RawStatement(db, kRawList).Read();
    }
}

// A right press on the heading of the remark column, first descending, then ascending, ...
void SortSystem(benchmark::State& state) {
    WithBrowser([&](browser::FrmBrowser& w) {
        w.Vs.SetMouseCell(0, 3);
        for (auto _ : state) w.Vs.RaiseMouseDown(ui::MouseButton::Right, 0);
    });
}

// The list in memory, sorted on the remark column the same way, in the order every grid uses
// (digits by value).
void SortRaw(benchmark::State& state) {
    RawStatement st(BenchEnvironment::Get().Raw(), kRawList);
    std::vector<std::string> remarks;
    std::vector<bool> nulls;
    while (st.Step()) {
        nulls.push_back(st.IsNull(2));
        remarks.emplace_back(st.Text(2));
    }
    std::vector<int> order(remarks.size());
    bool descending = true;
    for (auto _ : state) {
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
            if (nulls[a] || nulls[b]) return descending ? nulls[b] && !nulls[a] : nulls[a] && !nulls[b];
            const int c = db::NaturalCompare(remarks[a], remarks[b]);
            return descending ? c > 0 : c < 0;
        });
        descending = !descending;
        benchmark::DoNotOptimize(order.data());
    }
}

std::string InList(const std::vector<std::string>& serials) {
    std::string list;
    for (const auto& s : serials) list += (list.empty() ? "'" : ",'") + s + "'";
    return list;
}

// Marks the first 100 audited bills of the list and posts them; between the runs (untimed) they
// are made open again and the list refreshed.
void PostSystem(benchmark::State& state) {
    auto& env = BenchEnvironment::Get();
    WithBrowser([&](browser::FrmBrowser& w) {
        std::vector<std::string> posted;
        for (auto _ : state) {
            state.PauseTiming();
            posted.clear();
            for (int r = 1; r < w.Vs.Rows() && static_cast<int>(posted.size()) < kPosted; ++r) {
                if (w.Vs.TextMatrix(r, 5) != "是") continue;  // 审核标志
                w.Vs.SetTextMatrix(r, 0, browser::kMark);
                posted.push_back(w.Vs.TextMatrix(r, 1));
            }
            if (posted.empty()) {
                state.SkipWithError("no audited open bill in the browser's list");
                break;
            }
            env.Toolkit().QueueAnswer(ui::Answer::Yes);
            state.ResumeTiming();
            w.PostSelected();
            state.PauseTiming();
            env.SystemExec("UPDATE SubAdjuctPrice SET jzbz=0 WHERE lsh IN (" + InList(posted) + ")");
            w.RefreshList();
            state.ResumeTiming();
        }
        state.counters["posted"] = static_cast<double>(posted.size());
    });
}

void PostRaw(benchmark::State& state) {
    auto& env = BenchEnvironment::Get();
    RawDatabase& db = env.Raw();
    const auto& audited = env.Fix().auditedOpenBills;
    const std::vector<std::string> posted(audited.begin(), audited.begin() + std::min<size_t>(kPosted, audited.size()));
    for (auto _ : state) {
        RawStatement(db, kRawRight).Bind(1, "记帐").Read();
        env.Raw().Begin();
        RawStatement update(db, "UPDATE SubAdjuctPrice SET jzbz=1 WHERE lsh=? AND shbz=1");
        for (const auto& lsh : posted) update.Bind(1, lsh).Run();
        env.Raw().Commit();
        RawStatement(db, kRawCleanUp).Run();
        RawStatement(db, kRawList).Read();
        state.PauseTiming();
        env.Raw().Exec("UPDATE SubAdjuctPrice SET jzbz=0 WHERE lsh IN (" + InList(posted) + ")");
        state.ResumeTiming();
    }
}

}  // namespace

void RegisterBrowserOperations() {
    RegisterOperation("browser open", OpenSystem, OpenRaw);
    RegisterOperation("browser list with clean-up", RefreshSystem, RefreshRaw);
    RegisterOperation("browser sort on a column", SortSystem, SortRaw);
    if (BenchEnvironment::Get().Fix().auditedOpenBills.size() >= kPosted)
        RegisterOperation("posting 100 marked bills", PostSystem, PostRaw);
}

}  // namespace bench
