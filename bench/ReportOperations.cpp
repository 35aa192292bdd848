// The detail report of the operator's open bills (2,000 lines at medium and large) up to the report
// grid's model, and the grid's sort on a column and filter on the rows.
#include <algorithm>
#include <numeric>
#include <string>
#include <vector>

#include "bench/BenchEnvironment.h"
#include "bench/Operations.h"
#include "browser/FrmBrowser.h"
#include "data/HostContext.h"
#include "db/NaturalOrder.h"
#include "host/ReportGridComponent.h"
#include "host/ReportSettingsStore.h"
#include "host/ReportTableModel.h"

namespace bench {
namespace {

constexpr const char* kRawReport =
    "SELECT A.lsh, A.kdrq, A.bz, B.dh, B.hh, C.lb, D.name, C.pm, C.gg, C.cd, C.pdw, B.sj1, B.sj2, A.shbz, A.czry "
    "FROM SubAdjuctPrice A LEFT JOIN SubAdjuctPricemx B ON A.lsh=B.lsh LEFT JOIN yw_kck C ON B.hh=C.hh "
    "LEFT JOIN kclb D ON C.lb=D.id WHERE A.czry=? AND A.jzbz=0 AND coalesce(A.bz5,'')='' ORDER BY A.lsh";
constexpr int kName = 7, kOld = 11, kNew = 12;  // columns of the report: 品名, 原售价, 新售价

QString ScratchSettings() { return QString::fromStdString(BenchEnvironment::Get().ScratchFolder() + "/report.ini"); }

void ReportSystem(benchmark::State& state) {
    browser::FrmBrowser w;
    BenchEnvironment::Get().Toolkit().OnShow("FrmBrowser", [&](ui::Window&) {
        for (auto _ : state) w.ShowReport();  // the report window loads its report, then closes
    });
    w.ShowModal();
}

// The report as a program keeps it to show it: every value, and the sums of the two prices.
struct RawReport {
    std::vector<std::string> names;
    std::vector<double> oldPrices, newPrices;
    std::string kept;
};

RawReport ReadReport(RawDatabase& db) {
    RawReport r;
    RawStatement st(db, kRawReport);
    st.Bind(1, data::Host().OptName);
    while (st.Step()) {
        const int n = st.Columns();
        for (int i = 0; i < n; ++i) {
            r.kept.append(st.Text(i));
            r.kept.push_back('\0');
        }
        r.names.emplace_back(st.Text(kName));
        r.oldPrices.push_back(st.Double(kOld));
        r.newPrices.push_back(st.Double(kNew));
    }
    return r;
}

void ReportRaw(benchmark::State& state) {
    RawDatabase& db = BenchEnvironment::Get().Raw();
    for (auto _ : state) {
        RawStatement(db, "SELECT count(*) FROM t_OperatorRight WHERE FModule='00000368' AND FOperator='0001' AND FRight='报表'").Read();
        RawReport r = ReadReport(db);
        RawStatement(db, "SELECT jjbl FROM sys_var").Read();
        Consume(static_cast<long long>(std::accumulate(r.oldPrices.begin(), r.oldPrices.end(), 0.0) +
                                       std::accumulate(r.newPrices.begin(), r.newPrices.end(), 0.0)));
    }
}

// A report grid on the operator's report, loaded once.
std::unique_ptr<host::ReportGridComponent> LoadedGrid() {
    auto grid = std::make_unique<host::ReportGridComponent>(host::ReportSettingsStore(ScratchSettings()));
    grid->SetConnectStr(BenchEnvironment::Get().ConnStr());
    grid->SetReportCode("SD分支机构调价单浏览");
    grid->SetReportName("分支机构调价单浏览");
    grid->SetDataSource(
        "SELECT A.LSH AS 流水号,A.KDRQ AS 开单日期,A.BZ AS 备注,B.DH AS 单号, B.HH AS 货号,C.LB AS 类别代号,D.NAME AS 类别名称, "
        "C.PM AS 品名, C.GG AS 规格, C.CD AS 产地, C.PDW AS 单位,B.SJ1 AS 原售价,B.SJ2 AS 新售价,A.SHBZ AS 审核标志,A.CZRY AS 操作人员 "
        "FROM SubAdjuctPrice A LEFT  JOIN SubAdjuctPriceMX B ON A.LSH = B.LSH LEFT JOIN YW_KCK C ON B.HH = C.HH  left join kclb d on "
        "c.lb=d.id  Where A.Czry='" + data::Host().OptName + "' and a.jzbz=0 and isnull(a.bz5,'')=''  Order By A.LSH");
    grid->RefreshReport();
    return grid;
}

void SortSystem(benchmark::State& state) {
    auto grid = LoadedGrid();
    auto& model = grid->Model();
    const int field = model.FieldIndex("品名");
    bool descending = true;
    for (auto _ : state) {
        model.SortByField(field, descending ? Qt::DescendingOrder : Qt::AscendingOrder);
        descending = !descending;
    }
}

void SortRaw(benchmark::State& state) {
    const RawReport r = ReadReport(BenchEnvironment::Get().Raw());
    std::vector<int> order(r.names.size());
    bool descending = true;
    for (auto _ : state) {
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
            return descending ? db::NaturalLess(r.names[b], r.names[a]) : db::NaturalLess(r.names[a], r.names[b]);
        });
        descending = !descending;
        benchmark::DoNotOptimize(order.data());
    }
}

// Rows whose item name holds "米", with the sums of the prices of the rows shown.
void FilterSystem(benchmark::State& state) {
    auto grid = LoadedGrid();
    auto& model = grid->Model();
    const std::vector<host::ReportFilterRule> rule{{"品名", host::ReportFilterOp::Contains, "米", ""}};
    for (auto _ : state) {
        model.SetFilter(rule);
        state.PauseTiming();
        model.SetFilter({});
        state.ResumeTiming();
    }
    state.counters["rows"] = model.rowCount();
}

void FilterRaw(benchmark::State& state) {
    const RawReport r = ReadReport(BenchEnvironment::Get().Raw());
    std::vector<int> shown;
    for (auto _ : state) {
        shown.clear();
        double oldSum = 0, newSum = 0;
        for (size_t i = 0; i < r.names.size(); ++i) {
            if (r.names[i].find("米") == std::string::npos) continue;
            shown.push_back(static_cast<int>(i));
            oldSum += r.oldPrices[i];
            newSum += r.newPrices[i];
        }
        Consume(static_cast<long long>(oldSum + newSum + static_cast<double>(shown.size())));
    }
}

}  // namespace

void RegisterReportOperations() {
    host::RegisterReportGrid(ScratchSettings());
    RegisterOperation("detail report of an operator", ReportSystem, ReportRaw);
    RegisterOperation("report sort on a column", SortSystem, SortRaw);
    RegisterOperation("report filter", FilterSystem, FilterRaw);
}

}  // namespace bench
