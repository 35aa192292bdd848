// Benchmarks of the paths an operator waits on: the browser's list statement through the database
// layer against the same statement run directly on SQLite, the translator alone, and sorting a
// large list. At the end it prints the ratios of variants measured in this same run.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <filesystem>
#include <iostream>
#include <map>
#include <memory>

#include "db/Connection.h"
#include "db/dialect/TsqlTranslator.h"
#include "schema/DemoDatabase.h"

namespace {

const char* kListSql =
    "Select A.LSH AS 流水号,A.KDRQ AS 开单日期,A.BZ AS 备注,A.CZRY AS 操作人员,A.SHBZ AS 审核标志,A.SHRY AS 审核人员 "
    " From  SubAdjuctPrice A Where A.JZBZ=0 and isnull(a.bz5,'')=''  Order By A.LSH";

// A demo database with `bills` open bills, made once per process.
const std::string& Database(int bills) {
    static std::map<int, std::string> made;
    auto it = made.find(bills);
    if (it != made.end()) return it->second;
    auto path = std::filesystem::temp_directory_path() / ("spb-bench-" + std::to_string(bills) + ".db");
    std::filesystem::remove(path);
    std::filesystem::remove(path.string() + "-wal");
    std::filesystem::remove(path.string() + "-shm");
    schema::DemoOptions o;
    o.itemCount = 500;
    schema::CreateDemoDatabase(path.string(), o);
    db::Connection c;
    c.Open("Provider=SQLite;Data Source=" + path.string());
    c.BeginTrans();
    for (int i = 0; i < bills; ++i) {
        std::string lsh = std::to_string(1000 + i);
        c.Execute("insert into SubAdjuctPrice (lsh,kdrq,execdate,bz,czry,fyear,fperiod,shbz,shry,jzbz,dwbh,bz5) values ('" +
                  lsh + "','2026-12-01','2026-12-02','备注" + lsh + "','系统管理员',0,0,0,'',0,'001','')");
    }
    c.CommitTrans();
    return made[bills] = path.string();
}

void BM_ListThroughConnection(benchmark::State& state) {
    db::Connection c;
    c.Open("Provider=SQLite;Data Source=" + Database(static_cast<int>(state.range(0))));
    for (auto _ : state) {
        auto rs = c.OpenRecordset(kListSql);
        benchmark::DoNotOptimize(rs.RecordCount());
    }
}
BENCHMARK(BM_ListThroughConnection)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_ListDirectSqlite(benchmark::State& state) {
    sqlite3* raw = nullptr;
    sqlite3_open_v2(Database(static_cast<int>(state.range(0))).c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    std::unique_ptr<sqlite3, decltype(&sqlite3_close_v2)> db(raw, &sqlite3_close_v2);
    const std::string sql = db::dialect::TsqlTranslator().ToSqlite(kListSql);
    for (auto _ : state) {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db.get(), sql.c_str(), -1, &st, nullptr);
        long n = 0;
        while (sqlite3_step(st) == SQLITE_ROW) {
            for (int i = 0; i < 6; ++i) benchmark::DoNotOptimize(sqlite3_column_text(st, i));
            ++n;
        }
        sqlite3_finalize(st);
        benchmark::DoNotOptimize(n);
    }
}
BENCHMARK(BM_ListDirectSqlite)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_TranslateListStatement(benchmark::State& state) {
    db::dialect::TsqlTranslator t;
    for (auto _ : state) benchmark::DoNotOptimize(t.ToSqlite(kListSql));
}
BENCHMARK(BM_TranslateListStatement)->Unit(benchmark::kMicrosecond);

void BM_SortListDescending(benchmark::State& state) {
    db::Connection c;
    c.Open("Provider=SQLite;Data Source=" + Database(static_cast<int>(state.range(0))));
    auto rs = c.OpenRecordset(kListSql);
    bool desc = true;
    for (auto _ : state) {
        rs.Sort(std::string("备注 ") + (desc ? "DESC" : "ASC"));
        desc = !desc;
    }
}
BENCHMARK(BM_SortListDescending)->Arg(10000)->Unit(benchmark::kMillisecond);

// Keeps every run's time so that ratios come from this one run.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const auto& r : runs)
            if (r.run_type == Run::RT_Iteration) times_[r.benchmark_name()] = r.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    void PrintRatios() const {
        auto get = [&](const std::string& n) { auto it = times_.find(n); return it == times_.end() ? 0.0 : it->second; };
        double layer = get("BM_ListThroughConnection/10000"), direct = get("BM_ListDirectSqlite/10000");
        double translate = get("BM_TranslateListStatement") / 1000.0, sort = get("BM_SortListDescending/10000");
        if (direct > 0) {
            std::cout << "\nratio list through the database layer / direct SQLite (10,000 bills): " << layer / direct << "\n";
            std::cout << "ratio translation of the list statement / direct SQLite list: " << translate / direct << "\n";
            std::cout << "ratio sort of the loaded list / loading it directly: " << sort / direct << "\n";
        }
    }

private:
    std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}
