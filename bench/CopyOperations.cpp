// "复制": a 300-line bill made again for 200 branches (60,000 lines) in one transaction, with each
// branch's old prices. A data set with fewer branches gets the missing ones (without prices) for
// the measurement and loses them afterwards. The hand-written program reads the same rows and
// inserts through two prepared statements in one transaction.
#include <string>
#include <unordered_map>
#include <vector>

#include "bench/BenchEnvironment.h"
#include "bench/EditorSupport.h"
#include "bench/Operations.h"
#include "bill/FrmCopyBill.h"
#include "data/HostContext.h"
#include "ui/Message.h"

namespace bench {
namespace {

constexpr int kTargets = 200;
constexpr const char* kExtraPrefix = "CP";

// The branches the copy goes to: the first kTargets other than the bill's own, in code order.
std::vector<std::string> Targets(RawDatabase& db, const std::string& own) {
    std::vector<std::string> codes;
    for (auto& c : db.Column("SELECT tjbh FROM gl_custom ORDER BY tjbh"))
        if (c != own && static_cast<int>(codes.size()) < kTargets) codes.push_back(std::move(c));
    return codes;
}

// Adds branches through `exec` until kTargets others exist; returns the statement that removes
// them again.
template <typename Exec>
std::string AddBranches(const std::string& own, Exec exec) {
    auto& env = BenchEnvironment::Get();
    const int missing = kTargets - static_cast<int>(Targets(env.Raw(), own).size());
    if (missing <= 0) return {};
    std::string values;
    for (int i = 0; i < missing; ++i) {
        const std::string code = kExtraPrefix + std::to_string(1000 + i);
        values += (i ? ",('" : "('") + code + "','复制测试" + code + "','fz')";
    }
    exec("INSERT INTO gl_custom (tjbh,mc,zjm) VALUES " + values);
    return std::string("DELETE FROM gl_custom WHERE tjbh LIKE '") + kExtraPrefix + "%'";
}

std::string InList(const std::vector<std::string>& serials) {
    std::string list;
    for (const auto& s : serials) list += (list.empty() ? "'" : ",'") + s + "'";
    return list;
}

std::string Remove(const std::vector<std::string>& serials) {
    const std::string list = InList(serials);
    return "DELETE FROM SubAdjuctPricemx WHERE lsh IN (" + list + "); DELETE FROM SubAdjuctPrice WHERE lsh IN (" + list + ")";
}

void CopySystem(benchmark::State& state) {
    auto& env = BenchEnvironment::Get();
    const std::string lsh = env.Fix().longBills.front();
    const std::string removeBranches =
        AddBranches(env.Fix().longBillBranch, [&](const std::string& sql) { env.SystemExec(sql); });
    WithEditor(lsh, [&](bill::FrmAdjuctPrice& w) {
        std::vector<std::string> serials;
        for (auto _ : state) {
            state.PauseTiming();
            serials.clear();
            env.Toolkit().ClearMessages();
            env.Toolkit().OnShow("FrmCopyBill", [&](ui::Window& window) {
                auto& copy = static_cast<bill::FrmCopyBill&>(window);
                for (int r = 1; r <= kTargets && r < copy.VfgTargets.Rows(); ++r) copy.ToggleMark(r);
                env.Toolkit().QueueAnswer(ui::Answer::Yes);  // "确实要将此单据复制到…"
                copy.CmdOK.Click();
                serials = copy.Serials();
            });
            state.ResumeTiming();
            w.Toolbar1.Press("复制");
            state.PauseTiming();
            if (static_cast<int>(serials.size()) != kTargets) {
                state.SkipWithError("the bill was not copied to every branch");
                break;
            }
            env.SystemExec(Remove(serials));
            state.ResumeTiming();
        }
        state.counters["bills"] = static_cast<double>(serials.size());
    });
    if (!removeBranches.empty()) env.SystemExec(removeBranches);
}

void CopyRaw(benchmark::State& state) {
    auto& env = BenchEnvironment::Get();
    RawDatabase& db = env.Raw();
    const std::string lsh = env.Fix().longBills.front(), own = env.Fix().longBillBranch;
    const std::string removeBranches = AddBranches(own, [&](const std::string& sql) { db.Exec(sql); });
    struct Line {
        std::string hh, pm;
        double sj2;
    };
    for (auto _ : state) {
        RawStatement(db, "SELECT count(*) FROM t_OperatorRight WHERE FModule='00000368' AND FOperator='0001' AND FRight='新增'").Read();
        std::vector<Line> lines;
        RawStatement read(db, "SELECT hh, pm, sj2 FROM SubAdjuctPricemx WHERE lsh=? ORDER BY dh");
        read.Bind(1, lsh);
        while (read.Step()) lines.push_back({std::string(read.Text(0)), std::string(read.Text(1)), read.Double(2)});
        const std::vector<std::string> targets = Targets(db, own);
        RawStatement price(db, "SELECT g.hh, g.sellprice FROM glprice g WHERE g.dwbh=? AND g.hh IN "
                               "(SELECT hh FROM SubAdjuctPricemx WHERE lsh=?)");
        std::vector<std::unordered_map<std::string, double>> prices;
        for (const auto& t : targets) {
            price.Bind(1, t).Bind(2, lsh);
            prices.emplace_back();
            while (price.Step()) prices.back().emplace(std::string(price.Text(0)), price.Double(1));
        }
        std::vector<std::string> serials;
        db.Begin();
        const long long first = std::stoll(db.Scalar("SELECT coalesce(max(cast(lsh as int)),0) FROM SubAdjuctPrice")) + 1;
        RawStatement header(db, "INSERT INTO SubAdjuctPrice (lsh,kdrq,execdate,bz,czry,fyear,fperiod,shbz,shry,jzbz,dwbh,bz5) "
                                "VALUES (?,'2026-12-06','2026-12-06','',?,0,0,0,'',0,?,'')");
        RawStatement line(db, "INSERT INTO SubAdjuctPricemx (lsh,dh,hh,pm,sj1,sj2) VALUES (?,?,?,?,?,?)");
        for (size_t t = 0; t < targets.size(); ++t) {
            serials.push_back(std::to_string(first + static_cast<long long>(t)));
            header.Bind(1, serials.back()).Bind(2, data::Host().OptName).Bind(3, targets[t]).Run();
            for (size_t i = 0; i < lines.size(); ++i) {
                const auto found = prices[t].find(lines[i].hh);
                const double old = found == prices[t].end() ? 0.0 : found->second;
                line.Bind(1, serials.back()).Bind(2, std::to_string((i + 1) * 100)).Bind(3, lines[i].hh).Bind(4, lines[i].pm);
                line.Bind(5, old).Bind(6, lines[i].sj2).Run();
            }
        }
        db.Commit();
        state.PauseTiming();
        db.Exec(Remove(serials));
        state.ResumeTiming();
    }
    if (!removeBranches.empty()) db.Exec(removeBranches);
}

}  // namespace

void RegisterCopyOperations() {
    const auto& f = BenchEnvironment::Get().Fix();
    if (!f.longBills.empty()) RegisterOperation("copying a 300-line bill to 200 branches", CopySystem, CopyRaw);
}

}  // namespace bench
