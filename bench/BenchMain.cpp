// spb_bench: measures the operations an operator waits on, each through the system's own code path
// and as a hand-written program on the same database would do it, and prints their ratios.
//   spb_bench --db=PATH [google benchmark options]          a SQLite file
//   spb_bench --db-url=STRING [google benchmark options]    a PostgreSQL database (ODBC string)
// --trace prints every statement the system sends, as it sends it, to the standard error.
// The database is changed only in passing (posted bills are made open again, saved lines removed),
// yet measure a copy of a generated data set, as bench/run.sh does.
#include <QApplication>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <tuple>
#include <vector>

#include "bench/BenchEnvironment.h"
#include "bench/Operations.h"
#include "bench/RatioReporter.h"
#include "db/Connection.h"

namespace bench {

void RegisterOperation(const std::string& operation, BenchFunction system, BenchFunction raw) {
    // On a server the hand-written program runs a second time through the ODBC driver ("/odbc").
    std::vector<std::tuple<const char*, BenchFunction, bool>> sides{{"/system", system, false}, {"/raw", raw, false}};
    if (BenchEnvironment::Get().HasOdbcSide()) sides.emplace_back("/odbc", raw, true);
    for (auto [side, fn, odbc] : sides) {
        auto settled = [fn = fn, odbc = odbc](benchmark::State& state) {
            auto& env = BenchEnvironment::Get();
            env.RawThroughOdbc(odbc);
            env.Raw().Settle();
            fn(state);
            env.RawThroughOdbc(false);
        };
        benchmark::RegisterBenchmark((operation + side).c_str(), settled)->Unit(benchmark::kMillisecond)->UseRealTime();
    }
}

}  // namespace bench

int main(int argc, char** argv) {
    std::string database;
    bool server = false;
    std::vector<char*> args;
    for (int i = 0; i < argc; ++i) {
        if (std::strncmp(argv[i], "--db=", 5) == 0) database = argv[i] + 5, server = false;
        else if (std::strncmp(argv[i], "--db-url=", 9) == 0) database = argv[i] + 9, server = true;
        else if (std::strcmp(argv[i], "--trace") == 0)
            db::Connection::SetDefaultTrace([](const std::string& sql) { std::cerr << "sql: " << sql << "\n"; });
        else args.push_back(argv[i]);
    }
    if (database.empty()) {
        std::cerr << "usage: spb_bench --db=PATH|--db-url=CONNECTION-STRING [benchmark options]\n";
        return 2;
    }
    // Several repetitions, randomly interleaved, so that load from elsewhere on the machine touches
    // both sides of a ratio alike; the summary takes the median of the repetitions.
    static char repetitions[] = "--benchmark_repetitions=5";
    static char interleave[] = "--benchmark_enable_random_interleaving=true";
    static char aggregates[] = "--benchmark_report_aggregates_only=false";
    args.insert(args.begin() + 1, {repetitions, interleave, aggregates});
    int count = static_cast<int>(args.size());
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(count, args.data());
    benchmark::Initialize(&count, args.data());
    try {
        bench::BenchEnvironment::Start(database, server);
        bench::RegisterBrowserOperations();
        bench::RegisterLookupOperations();
        bench::RegisterEditorOperations();
        bench::RegisterReportOperations();
        bench::RegisterPrintOperations();
        bench::RegisterCopyOperations();
    } catch (const std::exception& e) {
        std::cerr << "spb_bench: " << e.what() << "\n";
        return 1;
    }
    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintSummary(std::cout);
    benchmark::Shutdown();
    return 0;
}
