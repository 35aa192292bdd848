#include "bench/RatioReporter.h"

#include <algorithm>
#include <cstdio>

namespace bench {
namespace {

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

std::string Ms(double seconds) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, seconds < 0.01 ? "%.3f ms" : "%.1f ms", seconds * 1000);
    return buffer;
}

}  // namespace

void RatioReporter::ReportRuns(const std::vector<Run>& runs) {
    // The console shows the median of the repetitions (or the one run), the summary uses them all.
    std::vector<Run> shown;
    for (const auto& r : runs)
        if ((r.run_type == Run::RT_Aggregate && r.aggregate_name == "median") ||
            (r.run_type == Run::RT_Iteration && (r.repetitions <= 1 || r.error_occurred)))
            shown.push_back(r);
    if (!shown.empty()) ConsoleReporter::ReportRuns(shown);
    for (const auto& r : runs) {
        if (r.run_type != Run::RT_Iteration || r.error_occurred || r.iterations == 0) continue;
        const std::string name = r.run_name.function_name;
        const double seconds = r.real_accumulated_time / static_cast<double>(r.iterations);
        seconds_[name].push_back(seconds);
        const auto slash = name.rfind('/');
        const std::string operation = slash == std::string::npos ? name : name.substr(0, slash);
        if (std::find(order_.begin(), order_.end(), operation) == order_.end()) order_.push_back(operation);
    }
}

void RatioReporter::PrintSummary(std::ostream& out) const {
    auto median = [&](const std::string& name) {
        auto it = seconds_.find(name);
        return it == seconds_.end() ? 0.0 : Median(it->second);
    };
    auto ratio = [](double a, double b) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%.2f", a / b);
        return std::string(buffer);
    };
    bool anyOdbc = false;
    for (const auto& op : order_) anyOdbc = anyOdbc || median(op + "/odbc") > 0;
    out << (anyOdbc ? "\nmedian time per operation (system / raw / raw through ODBC):\n"
                    : "\nmedian time per operation (system / raw):\n");
    for (const auto& op : order_) {
        const double system = median(op + "/system"), raw = median(op + "/raw"), odbc = median(op + "/odbc");
        if (system <= 0) continue;
        out << "time " << op << ": " << Ms(system);
        if (raw > 0) out << " / " << Ms(raw);
        if (raw > 0 && odbc > 0) out << " / " << Ms(odbc);
        out << "\n";
    }
    out << "\n";
    for (const auto& op : order_) {
        const double system = median(op + "/system"), raw = median(op + "/raw");
        if (system > 0 && raw > 0) out << "ratio " << op << ": " << ratio(system, raw) << "\n";
    }
    if (!anyOdbc) return;
    // The same hand-written statements through the ODBC driver: what the driver costs over the
    // client library, and what the system costs over the driver.
    out << "\n";
    for (const auto& op : order_) {
        const double system = median(op + "/system"), raw = median(op + "/raw"), odbc = median(op + "/odbc");
        if (system > 0 && raw > 0 && odbc > 0)
            out << "through ODBC " << op << ": driver " << ratio(odbc, raw) << ", system over driver " << ratio(system, odbc)
                << "\n";
    }
}

}  // namespace bench
