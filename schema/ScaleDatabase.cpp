#include "schema/ScaleDatabase.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <numeric>
#include <stdexcept>
#include <utility>
#include <vector>

#include "schema/DemoCatalog.h"
#include "schema/DemoDatabase.h"
#include "schema/HostFixedRows.h"
#include "schema/NewHostDatabase.h"
#include "schema/Random.h"

namespace schema {

namespace {

using detail::NewHostDatabase;
using detail::Random;
using detail::RowSink;

constexpr int kMaxLines = 29;  // an ordinary bill has 1..29 lines, 15 on average
constexpr int kOperatorBillLines = 10;
constexpr int kOperatorBills = (kOperatorOpenLines - kLongBillCount * kLongBillLines) / kOperatorBillLines;
constexpr int kFixtureBills = kLongBillCount + kOperatorBills;
constexpr int kExtraOperators = 38;  // "操作员03" ... "操作员40"
constexpr std::chrono::sys_days kToday{std::chrono::year(2026) / 12 / 6};
constexpr int kHistoryDays = 4 * 365;

struct Item {
    std::string code, name, packing, origin, unit, category, mnemonic;
    int deleted = 0;  // -1 NULL, 0 live, 1 withdrawn
    int listCents = 0;
};

enum class Mode { Branch, BranchNull, BranchType };

struct Bill {
    int lines = 0;
    int maker = 0;  // 0 first demo operator, 1 second, 2.. extra operators
    int target = 0;  // branch index, or branch type index for Mode::BranchType
    Mode mode = Mode::Branch;
    bool audited = false, posted = false, longBill = false;
};

// Whole dimes, never below 0.50 and never a whole yuan (a numeric column keeps a whole-number REAL
// as an INTEGER).
int ShelfCents(double cents) {
    int result = static_cast<int>(std::lround(cents / 10.0)) * 10;
    result = std::max(result, 50);
    return result % 100 == 0 ? result - 10 : result;
}

double Money(int cents) { return cents / 100.0; }

std::string Code(int number) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%03d", number);
    return buffer;
}

std::string DateText(std::chrono::sys_days day) {
    const std::chrono::year_month_day ymd(day);
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%04d-%02u-%02u", static_cast<int>(ymd.year()),
                  static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()));
    return buffer;
}

void Validate(const ScaleOptions& o) {
    const int types = static_cast<int>(detail::BranchTypes().size());
    auto require = [](bool ok, const char* what) {
        if (!ok) throw std::invalid_argument(what);
    };
    require(o.branchCount >= 2 && o.branchCount <= 999, "branch count must be 2..999");
    require(o.itemCount >= 4 * kLongBillLines && o.itemCount <= 899999, "item count must be 1200..899999");
    require(o.priceCount >= o.itemCount &&
                static_cast<long long>(o.priceCount) <= static_cast<long long>(o.itemCount) * (o.branchCount + types) / 2,
            "price count must lie between the item count and half of items times price targets");
    require(o.openBillCount >= 2 * kFixtureBills && o.billCount >= o.openBillCount, "too few bills or open bills");
    const long long others = o.billCount - kFixtureBills;
    require(o.lineCount >= kOperatorOpenLines + others && o.lineCount <= kOperatorOpenLines + others * kMaxLines,
            "line count does not fit the bill count");
}

std::vector<Item> MakeItems(int count, Random& random) {
    std::vector<Item> items(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        Item& item = items[static_cast<size_t>(i)];
        detail::DrawnItem drawn = detail::DrawItem(i, random);
        item.code = std::move(drawn.code);
        item.name = std::move(drawn.name);
        item.mnemonic = std::move(drawn.mnemonic);
        item.packing = std::move(drawn.packing);
        item.origin = std::move(drawn.origin);
        item.unit = std::move(drawn.unit);
        item.category = std::move(drawn.category);
        const double r = random.Unit();
        item.deleted = (i > 0 && r < 0.01) ? 1 : (r < 0.11 ? -1 : 0);
        item.listCents = ShelfCents(drawn.cents);
    }
    return items;
}

// Which price targets (branches, then branch types) list which items: flags[item * targets + t].
std::vector<std::uint8_t> ChoosePrices(const ScaleOptions& o, Random& random) {
    const int types = static_cast<int>(detail::BranchTypes().size());
    const int targets = o.branchCount + types;
    const int items = o.itemCount;
    std::vector<std::uint8_t> flags(static_cast<size_t>(items) * targets, 0);
    std::vector<int> pool(static_cast<size_t>(items));
    std::iota(pool.begin(), pool.end(), 0);
    auto pick = [&](int target, int count) {
        // Partial Fisher-Yates: `count` distinct items.
        for (int n = 0; n < count; ++n) {
            const int k = n + random.Below(items - n);
            std::swap(pool[static_cast<size_t>(n)], pool[static_cast<size_t>(k)]);
            flags[static_cast<size_t>(pool[static_cast<size_t>(n)]) * targets + target] = 1;
        }
    };
    pick(0, items);  // branch "001" lists every item
    const int perType = std::min(items / 5, (o.priceCount - items) / 10);
    for (int t = 0; t < types; ++t) pick(o.branchCount + t, perType);
    const int rest = o.priceCount - items - perType * types;
    const int others = o.branchCount - 1;
    for (int b = 1; b < o.branchCount; ++b) pick(b, rest / others + (b - 1 < rest % others ? 1 : 0));
    return flags;
}

std::vector<Bill> PlanBills(const ScaleOptions& o, Random& random) {
    const int types = static_cast<int>(detail::BranchTypes().size());
    std::vector<Bill> bills(static_cast<size_t>(o.billCount));
    const int firstOpen = o.billCount - o.openBillCount;  // index of the oldest open bill
    const int fillerStep = (o.openBillCount - kLongBillCount) / kOperatorBills;
    std::vector<bool> fixture(bills.size(), false);
    for (int n = 0; n < kLongBillCount; ++n) {
        Bill& b = bills[static_cast<size_t>(o.billCount - 1 - n)];
        b = Bill{kLongBillLines, 0, 1, Mode::Branch, false, false, true};
        fixture[static_cast<size_t>(o.billCount - 1 - n)] = true;
    }
    for (int n = 0; n < kOperatorBills; ++n) {
        const int index = firstOpen + n * fillerStep;
        bills[static_cast<size_t>(index)] =
            Bill{kOperatorBillLines, 0, random.Below(o.branchCount), n % 3 == 0 ? Mode::BranchNull : Mode::Branch,
                 n % 4 == 0, false, false};
        fixture[static_cast<size_t>(index)] = true;
    }
    long long lines = 0;
    for (int i = 0; i < o.billCount; ++i) {
        if (fixture[static_cast<size_t>(i)]) continue;
        Bill& b = bills[static_cast<size_t>(i)];
        b.lines = 1 + random.Below(kMaxLines);
        lines += b.lines;
        b.posted = i < firstOpen;
        b.audited = b.posted || random.Chance(1.0 / 3.0);
        const double r = random.Unit();
        b.mode = r < 0.2 ? Mode::BranchType : (r < 0.5 ? Mode::BranchNull : Mode::Branch);
        b.target = b.mode == Mode::BranchType ? random.Below(types) : random.Below(o.branchCount);
        // The first demo operator's open bills for single branches are the fixtures alone.
        const bool mayBeFirst = b.posted || b.mode == Mode::BranchType;
        b.maker = mayBeFirst && random.Chance(0.1) ? 0 : 1 + random.Below(kExtraOperators + 1);
    }
    // Bring the total to the line count exactly, one line at a time.
    long long wanted = o.lineCount - kOperatorOpenLines;
    while (lines != wanted) {
        const int i = random.Below(o.billCount);
        Bill& b = bills[static_cast<size_t>(i)];
        if (fixture[static_cast<size_t>(i)]) continue;
        if (lines < wanted && b.lines < kMaxLines) {
            ++b.lines;
            ++lines;
        } else if (lines > wanted && b.lines > 1) {
            --b.lines;
            --lines;
        }
    }
    return bills;
}

std::string OperatorName(int maker) {
    const auto& demo = DemoOperators();
    if (maker < static_cast<int>(demo.size())) return demo[static_cast<size_t>(maker)].name;
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "操作员%02d", maker + 1);
    return buffer;
}

class ScaleWriter {
public:
    ScaleWriter(RowSink& db, const ScaleOptions& o, Random& random)
        : db_(db), o_(o), random_(random), types_(detail::BranchTypes()) {}

    void Write() {
        detail::WriteSettings(db_);
        detail::WriteAttributes(db_);
        detail::WriteOperators(db_);
        WriteExtraOperators();
        items_ = MakeItems(o_.itemCount, random_);
        for (int i = 0; i < o_.itemCount; ++i)
            if (items_[static_cast<size_t>(i)].deleted != 1) live_.push_back(i);
        WriteBranches();
        WriteItems();
        WritePrices(ChoosePrices(o_, random_));
        WriteBills(PlanBills(o_, random_));
    }

private:
    void WriteExtraOperators() {
        auto op = db_.PrepareRow("INSERT INTO t_Operator (FCode, FName) VALUES (?, ?)");
        for (int n = 2; n < 2 + kExtraOperators; ++n) {
            char code[8];
            std::snprintf(code, sizeof code, "%04d", n + 1);
            op->Bind(1, code).Bind(2, OperatorName(n)).Execute();
        }
    }

    void WriteBranches() {
        auto names = detail::BranchNames();
        auto insert = db_.PrepareRow("INSERT INTO gl_custom (tjbh, mc, zjm, lx) VALUES (?, ?, ?, ?)");
        for (int b = 0; b < o_.branchCount; ++b) {
            const auto& word = names[static_cast<size_t>(b) % names.size()];
            const int round = b / static_cast<int>(names.size());
            const std::string suffix = round == 0 ? std::string() : std::to_string(round + 1);
            const auto& type = types_[static_cast<size_t>(b < static_cast<int>(types_.size()) ? b : random_.Below(2))];
            insert->Bind(1, Code(b + 1)).Bind(2, std::string(word.text) + suffix);
            insert->Bind(3, std::string(word.initials) + suffix).Bind(4, type.id).Execute();
        }
    }

    void WriteItems() {
        auto insert = db_.PrepareRow(
            "INSERT INTO yw_kck (hh, pm, gg, cd, pdw, lb, pm_zjm, FDeleted) VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
        for (const Item& i : items_) {
            insert->Bind(1, i.code).Bind(2, i.name).Bind(3, i.packing).Bind(4, i.origin).Bind(5, i.unit);
            insert->Bind(6, i.category).Bind(7, i.mnemonic);
            if (i.deleted < 0) insert->BindNull(8);
            else insert->Bind(8, i.deleted);
            insert->Execute();
        }
    }

    // Item by item, so that the rows arrive in the order of the (HH, DWBH) key.
    void WritePrices(const std::vector<std::uint8_t>& flags) {
        const int targets = o_.branchCount + static_cast<int>(types_.size());
        std::vector<std::string> codes;
        for (int b = 0; b < o_.branchCount; ++b) codes.push_back(Code(b + 1));
        for (const auto& type : types_) codes.emplace_back(type.id);
        longBranchCents_.assign(items_.size(), 0);
        auto insert = db_.PrepareRow("INSERT INTO glprice (HH, DWBH, SJ, ZK, SELLPRICE) VALUES (?, ?, ?, 100, ?)");
        for (int i = 0; i < o_.itemCount; ++i) {
            const Item& item = items_[static_cast<size_t>(i)];
            for (int t = 0; t < targets; ++t) {
                if (!flags[static_cast<size_t>(i) * targets + t]) continue;
                const int cents = random_.Chance(0.7) ? item.listCents : ShelfCents(item.listCents * random_.Between(0.95, 1.08));
                if (t == 1) longBranchCents_[static_cast<size_t>(i)] = cents;
                insert->Bind(1, item.code).Bind(2, codes[static_cast<size_t>(t)]);
                insert->Bind(3, Money(cents)).Bind(4, Money(cents)).Execute();
            }
        }
    }

    void WriteBills(const std::vector<Bill>& bills) {
        auto header = db_.PrepareRow(
            "INSERT INTO SubAdjuctPrice (lsh, kdrq, execdate, bz, czry, fyear, fperiod, shbz, shry, jzbz, dwbh, bz5) "
            "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
        auto line = db_.PrepareRow("INSERT INTO SubAdjuctPricemx (lsh, dh, hh, pm, sj1, sj2) VALUES (?, ?, ?, ?, ?, ?)");
        const std::string auditor = OperatorName(0);
        // Items of the long bills: half with a price at their branch, half without.
        std::vector<int> priced, unpriced;
        for (int i : live_) (longBranchCents_[static_cast<size_t>(i)] ? priced : unpriced).push_back(i);
        if (priced.size() < kLongBillLines / 2 || unpriced.size() < kLongBillLines / 2)
            throw std::invalid_argument("too few items for the long bills");
        std::vector<int> picked;
        for (int n = 0; n < o_.billCount; ++n) {
            const Bill& b = bills[static_cast<size_t>(n)];
            const std::string serial = std::to_string(n + 1);
            const auto day = kToday - std::chrono::days(kHistoryDays) +
                             std::chrono::days(static_cast<long long>(n) * kHistoryDays / o_.billCount);
            const std::chrono::year_month_day ymd(day);
            header->Bind(1, serial).Bind(2, DateText(day)).Bind(3, DateText(day + std::chrono::days(random_.Below(4))));
            if (b.longBill) header->Bind(4, kLongBillRemark);
            else if (random_.Chance(0.25)) header->BindNull(4);
            else header->Bind(4, random_.Pick(detail::BillRemarks()));
            header->Bind(5, OperatorName(b.maker)).Bind(6, static_cast<int>(ymd.year()));
            header->Bind(7, static_cast<int>(static_cast<unsigned>(ymd.month()))).Bind(8, b.audited ? 1 : 0);
            header->Bind(9, b.audited ? auditor : std::string()).Bind(10, b.posted ? 1 : 0);
            if (b.mode == Mode::BranchType) header->Bind(11, types_[static_cast<size_t>(b.target)].id).Bind(12, "1");
            else if (b.mode == Mode::BranchNull) header->Bind(11, Code(b.target + 1)).BindNull(12);
            else header->Bind(11, Code(b.target + 1)).Bind(12, "");
            header->Execute();

            picked.clear();
            if (b.longBill) {
                PickDistinct(priced, kLongBillLines / 2, picked);
                PickDistinct(unpriced, kLongBillLines - kLongBillLines / 2, picked);
            } else {
                PickDistinct(live_, b.lines, picked);
            }
            for (size_t k = 0; k < picked.size(); ++k) {
                const Item& item = items_[static_cast<size_t>(picked[k])];
                const int branchCents = b.longBill ? longBranchCents_[static_cast<size_t>(picked[k])] : 0;
                const int oldCents = branchCents ? branchCents : item.listCents;
                static constexpr double kFactors[] = {0.88, 0.92, 0.95, 1.05, 1.08, 1.12, 1.15};
                int newCents = ShelfCents(oldCents * kFactors[random_.Below(7)]);
                if (newCents == oldCents) newCents += 10;
                if (newCents % 100 == 0) newCents += 10;
                line->Bind(1, serial).Bind(2, std::to_string((k + 1) * 100)).Bind(3, item.code);
                line->Bind(4, item.name + '\\' + item.packing + '\\' + item.origin + '\\' + item.unit);
                line->Bind(5, Money(oldCents)).Bind(6, Money(newCents)).Execute();
            }
        }
    }

    // Appends `count` items of `from` that are not yet in `picked`.
    void PickDistinct(const std::vector<int>& from, int count, std::vector<int>& picked) {
        const size_t target = picked.size() + static_cast<size_t>(count);
        while (picked.size() < target) {
            const int item = from[static_cast<size_t>(random_.Below(static_cast<int>(from.size())))];
            if (std::find(picked.begin(), picked.end(), item) == picked.end()) picked.push_back(item);
        }
    }

    RowSink& db_;
    const ScaleOptions& o_;
    Random& random_;
    std::span<const detail::CodedName> types_;
    std::vector<Item> items_;
    std::vector<int> live_;
    std::vector<int> longBranchCents_;  // price of each item at branch "002", 0 for none
};

}  // namespace

std::optional<DataScale> ParseDataScale(std::string_view name) {
    if (name == "small") return DataScale::Small;
    if (name == "medium") return DataScale::Medium;
    if (name == "large") return DataScale::Large;
    return std::nullopt;
}

ScaleOptions ScaleOptions::Of(DataScale scale) {
    if (scale == DataScale::Large) return {200, 100000, 1000000, 200000, 3000000, 10000};
    return {20, 10000, 100000, 20000, 300000, 1000};
}

void CreateScaleDatabase(const std::string& path, DataScale scale) {
    if (scale == DataScale::Small) {
        CreateDemoDatabase(path);
        return;
    }
    CreateScaleDatabase(path, ScaleOptions::Of(scale));
}

void CreateScaleDatabase(const std::string& path, const ScaleOptions& options) {
    Validate(options);
    NewHostDatabase db(path);
    // Keep the indexes being filled in memory until the one commit.
    db.Exec("PRAGMA cache_size=-524288");
    detail::WriteScaleRows(db, options);
    db.Commit();
}

namespace detail {

void WriteScaleRows(RowSink& sink, const ScaleOptions& options) {
    Validate(options);
    Random random(options.seed);
    ScaleWriter(sink, options, random).Write();
}

}  // namespace detail

}  // namespace schema
