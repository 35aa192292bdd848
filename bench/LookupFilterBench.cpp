// The lookup window's filter on a large result: building the rows' search texts once, and one
// keystroke that re-filters every row (the worst case) or narrows the rows already shown.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

#include "host/LookupTableModel.h"

namespace {

std::shared_ptr<const db::RowSet> ItemRows(int n) {
    auto rows = std::make_shared<db::RowSet>();
    rows->fields = {{"货号", db::DataType::VarChar}, {"品名", db::DataType::VarChar},
                    {"规格", db::DataType::VarChar}, {"售价", db::DataType::Numeric}};
    static const char* names[] = {"Cola 可乐", "Tea 绿茶", "Milk 牛奶", "Bread 面包", "Rice 大米"};
    rows->rows.reserve(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        char code[16];
        std::snprintf(code, sizeof code, "I%06d", i);
        rows->rows.push_back({db::Value::Text(code), db::Value::Text(names[i % 5]),
                              db::Value::Text(std::to_string(i % 37) + "ml"), db::Value::Double(i * 0.25)});
    }
    return rows;
}

void BM_LookupModelBuild(benchmark::State& state) {
    const auto rows = ItemRows(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        host::LookupTableModel model(rows);
        benchmark::DoNotOptimize(model.rowCount());
    }
}
BENCHMARK(BM_LookupModelBuild)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_LookupFilterFullPass(benchmark::State& state) {
    host::LookupTableModel model(ItemRows(static_cast<int>(state.range(0))));
    bool flip = false;
    for (auto _ : state) {
        model.SetFilter(flip ? QStringLiteral("milk") : QStringLiteral("9"));  // neither holds the other
        flip = !flip;
        benchmark::DoNotOptimize(model.rowCount());
    }
}
BENCHMARK(BM_LookupFilterFullPass)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_LookupFilterNarrowing(benchmark::State& state) {
    host::LookupTableModel model(ItemRows(static_cast<int>(state.range(0))));
    for (auto _ : state) {
        state.PauseTiming();
        model.SetFilter(QStringLiteral("m"));
        state.ResumeTiming();
        model.SetFilter(QStringLiteral("mi"));
        benchmark::DoNotOptimize(model.rowCount());
    }
}
BENCHMARK(BM_LookupFilterNarrowing)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
