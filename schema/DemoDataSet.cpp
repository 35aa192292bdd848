#include "schema/DemoDataSet.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <stdexcept>
#include <utility>

#include "schema/DemoCatalog.h"
#include "schema/Random.h"

namespace schema::detail {

namespace {

// Shelf prices: whole dimes, or with `charm` two cents below (12.98), never below 0.48 and
// never a whole number of yuan (12.00 becomes 11.90): a numeric column would store a
// whole-number REAL as an INTEGER.
int ShelfCents(double cents, bool charm)
{
    int result = static_cast<int>(std::lround(cents / 10.0)) * 10;
    if (result < 50) {
        result = 50;
    }
    if (result % 100 == 0) {
        result -= 10;
    }
    return charm ? result - 2 : result;
}

int NewShelfCents(int oldCents, double factor, bool charm)
{
    int result = ShelfCents(oldCents * factor, charm);
    while (result == oldCents || result % 100 == 0) {
        result += 10;
    }
    return result;
}

std::string Format(const char* pattern, int value)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, pattern, value);
    return buffer;
}

std::string DateText(std::chrono::sys_days day)
{
    const std::chrono::year_month_day ymd(day);
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%04d-%02u-%02u", static_cast<int>(ymd.year()),
                  static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()));
    return buffer;
}

// Bill dates count back from a fixed day, so that a seed gives the same file on any day.
constexpr std::chrono::sys_days kDemoToday{std::chrono::year(2026) / 12 / 6};

std::vector<DemoBranch> MakeBranches(int count, Random& random)
{
    const auto names = BranchNames();
    const auto types = BranchTypes();
    std::vector<DemoBranch> branches;
    branches.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const Word& word = names[static_cast<size_t>(i) % names.size()];
        const int round = i / static_cast<int>(names.size());
        const std::string suffix = round == 0 ? std::string() : std::to_string(round + 1);
        // The first branches cover every type; the rest are mostly company-run.
        int type = i;
        if (i >= static_cast<int>(types.size())) {
            const double r = random.Unit();
            type = r < 0.5 ? 0 : r < 0.75 ? 1 : r < 0.9 ? 2 : 3;
        }
        branches.push_back({Format("%03d", i + 1), std::string(word.text) + suffix,
                            std::string(word.initials) + suffix, std::string(types[static_cast<size_t>(type)].id)});
    }
    return branches;
}

// Items and their list prices (cents).
std::pair<std::vector<DemoItem>, std::vector<int>> MakeItems(int count, Random& random)
{
    std::vector<DemoItem> items;
    std::vector<int> listCents;
    items.reserve(static_cast<size_t>(count));
    listCents.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        DrawnItem drawn = DrawItem(i, random);
        DemoItem item;
        item.code = std::move(drawn.code);
        item.name = std::move(drawn.name);
        item.mnemonic = std::move(drawn.mnemonic);
        item.packing = std::move(drawn.packing);
        item.origin = std::move(drawn.origin);
        item.unit = std::move(drawn.unit);
        item.categoryId = std::move(drawn.category);
        // The first item stays active so that every bill finds something to adjust.
        const double r = random.Unit();
        if (i > 0 && r < 0.02) {
            item.deleted = 1;
        } else if (r < 0.12) {
            item.deleted = std::nullopt;
        } else {
            item.deleted = 0;
        }
        items.push_back(std::move(item));
        listCents.push_back(ShelfCents(drawn.cents, random.Chance(0.3)));
    }
    return {std::move(items), std::move(listCents)};
}

DemoPrices MakePrices(const std::vector<int>& listCents, int branchCount, Random& random)
{
    const int typeCount = static_cast<int>(BranchTypes().size());
    const int itemCount = static_cast<int>(listCents.size());
    DemoPrices prices;
    prices.targetCount = branchCount + typeCount;
    prices.cents.assign(static_cast<size_t>(itemCount) * prices.targetCount, 0);
    for (int b = 0; b < branchCount; ++b) {
        const double coverage = random.Between(0.85, 0.97);
        for (int i = 0; i < itemCount; ++i) {
            if (!random.Chance(coverage)) {
                continue;
            }
            const int list = listCents[static_cast<size_t>(i)];
            if (random.Chance(0.7)) {
                prices.At(i, b) = list;
            } else {
                const double cents = list * random.Between(0.95, 1.08);
                prices.At(i, b) = ShelfCents(cents, random.Chance(0.3));
            }
        }
    }
    for (int t = 0; t < typeCount; ++t) {
        for (int i = 0; i < itemCount; ++i) {
            if (random.Chance(0.3)) {
                const double cents = listCents[static_cast<size_t>(i)] * random.Between(0.97, 1.03);
                prices.At(i, branchCount + t) = ShelfCents(cents, random.Chance(0.3));
            }
        }
    }
    return prices;
}

void AddLines(DemoBill& bill, int target, const std::vector<DemoItem>& items, const std::vector<int>& listCents,
              DemoPrices& prices, Random& random)
{
    static constexpr double kFactors[] = {0.88, 0.92, 0.95, 1.05, 1.08, 1.12, 1.15};
    std::vector<int> eligible;
    for (int i = 0; i < static_cast<int>(items.size()); ++i) {
        if (items[static_cast<size_t>(i)].deleted != 1 && prices.At(i, target) != 0) {
            eligible.push_back(i);
        }
    }
    if (eligible.empty()) {  // only with very few items: give the first item a price there
        prices.At(0, target) = listCents[0];
        eligible.push_back(0);
    }
    const int count = std::min(1 + random.Below(6), static_cast<int>(eligible.size()));
    for (int n = 0; n < count; ++n) {
        // Partial Fisher-Yates: the lines of one bill name distinct items.
        const int pick = n + random.Below(static_cast<int>(eligible.size()) - n);
        std::swap(eligible[static_cast<size_t>(n)], eligible[static_cast<size_t>(pick)]);
        const int item = eligible[static_cast<size_t>(n)];
        const int oldCents = prices.At(item, target);
        const double factor = kFactors[random.Below(static_cast<int>(std::size(kFactors)))];
        const int newCents = NewShelfCents(oldCents, factor, random.Chance(0.3));
        bill.lines.push_back({std::to_string((n + 1) * 100), item, oldCents, newCents});
    }
}

std::vector<DemoBill> MakeBills(const std::vector<DemoBranch>& branches, const std::vector<DemoItem>& items,
                                const std::vector<int>& listCents, DemoPrices& prices, Random& random)
{
    const auto& operators = DemoOperators();
    const std::string& admin = operators[0].name;
    const std::string& clerk = operators[1].name;
    const auto types = BranchTypes();
    const int branchCount = static_cast<int>(branches.size());

    // Bill 1 is posted and bill 2 audited; both are older than the open bills 3..10. The
    // letters say whom each bill addresses: B a branch, T a branch type.
    static constexpr char kTargets[] = "BBBTBBTBTB";
    std::vector<DemoBill> bills;
    int daysBack = 30 + random.Below(5);
    for (int n = 1; n <= 10; ++n) {
        DemoBill bill;
        bill.serial = std::to_string(n);
        const auto billDay = kDemoToday - std::chrono::days(daysBack);
        bill.billDate = DateText(billDay);
        bill.execDate = DateText(billDay + std::chrono::days(random.Below(4)));
        const std::chrono::year_month_day ymd(billDay);
        bill.year = static_cast<int>(ymd.year());
        bill.period = static_cast<int>(static_cast<unsigned>(ymd.month()));
        if (!random.Chance(0.25)) {
            bill.remark = std::string(random.Pick(BillRemarks()));
        }
        bill.maker = (n == 2 || n == 5 || n == 8) ? clerk : admin;
        bill.posted = n == 1;
        bill.audited = n <= 2;
        if (bill.audited) {
            bill.auditor = admin;
        }
        int target = 0;
        if (kTargets[n - 1] == 'T') {
            const int type = random.Below(static_cast<int>(types.size()));
            target = branchCount + type;
            bill.target = std::string(types[static_cast<size_t>(type)].id);
            bill.mode = "1";
        } else {
            target = random.Below(branchCount);
            bill.target = branches[static_cast<size_t>(target)].code;
            if (n % 2 == 0) {
                bill.mode = "";
            }
        }
        AddLines(bill, target, items, listCents, prices, random);
        if (bill.audited) {  // auditing wrote the new prices into the price list
            for (const DemoBillLine& line : bill.lines) {
                prices.At(line.item, target) = line.newCents;
            }
        }
        bills.push_back(std::move(bill));
        daysBack = n == 1 ? 24 + random.Below(3) : n == 2 ? 20 : std::max(0, daysBack - 1 - random.Below(2));
    }
    return bills;
}

}  // namespace

DemoDataSet GenerateDemoData(const DemoOptions& options)
{
    if (options.itemCount < 1 || options.itemCount > 899999) {
        throw std::invalid_argument("demo item count must be 1..899999");
    }
    if (options.branchCount < 1 || options.branchCount > 999) {
        throw std::invalid_argument("demo branch count must be 1..999");
    }
    Random random(options.seed);
    DemoDataSet data;
    data.branches = MakeBranches(options.branchCount, random);
    auto [items, listCents] = MakeItems(options.itemCount, random);
    data.items = std::move(items);
    data.prices = MakePrices(listCents, options.branchCount, random);
    data.bills = MakeBills(data.branches, data.items, listCents, data.prices, random);
    return data;
}

}  // namespace schema::detail
