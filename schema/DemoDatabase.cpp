#include "schema/DemoDatabase.h"

#include <optional>
#include <string_view>
#include <utility>

#include "schema/DemoCatalog.h"
#include "schema/DemoDataSet.h"
#include "schema/HostFixedRows.h"
#include "schema/NewHostDatabase.h"

namespace schema {

namespace {

using detail::NewHostDatabase;
using detail::RowSink;
using detail::RowStatement;

void BindOptional(RowStatement& statement, int index, const std::optional<std::string>& text)
{
    if (text) {
        statement.Bind(index, std::string_view(*text));
    } else {
        statement.BindNull(index);
    }
}

double Money(int cents) { return cents / 100.0; }

}  // namespace

namespace detail {

void WriteSettings(RowSink& db)
{
    // 41 columns: slws..ztdh, bz1..bz9, xz1..xz9, rkdsh..lsjz, ykfs, glph, phzx, sf_tag,
    // zdxjbl, ywjz, jzyf, ckperiod, qyzt.
    db.Exec("INSERT INTO sys_var VALUES ("
            "2, 2, 2, 2, 4, 4, 4, 2, 1, "
            "1, 0, 0, 0, 0, 0, 0, 0, 0, "
            "0, 0, 0, 0, 0, 0, 0, 0, 0, "
            "1, 1, 1, 1, 0, "
            "0, 0, 0, '', "
            "0, 0, 12, 0, 1)");

    static constexpr std::pair<std::string_view, std::string_view> kProfile[] = {
        {"ZJMStruct", "1"},           {"ZJMSpliteChar", ""},       {"SpliteOfMakeHH", ""},
        {"LengthOfMakeHH", "6"},      {"AutoMakeHH", "1"},         {"AutoMakeSuperID", "0"},
        {"LengthOfForeSuperID", "2"}, {"LengthOfMakeSuperID", "4"}, {"SpliteOfMakeSuperID", ""},
        {"AutoMakeCustomID", "1"},    {"LengthOfForeCustomID", "0"}, {"LengthOfMakeCustomID", "3"},
        {"SpliteOfMakeCustomID", ""}, {"CHKMaker", "1"},           {"CHKSuper", "1"},
        {"CHKPFJ", "1"},              {"CHKLSJ", "1"},             {"CHKSJ", "1"},
        {"CHKSCDW", "0"},             {"CHKMJL", "0"},             {"CHKZBZ", "0"},
        {"CHKYSBZ", "0"},             {"CHKZCSB", "0"},            {"CHKPZWH", "0"},
        {"CHKZHJJ", "0"},             {"FCurrYear", "2026"},       {"FCurrPeriod", "12"},
        {"FinanceCloseInit", "1"},    {"CHKCREATESJ", "0"},        {"SJRATIO", "1"},
        {"COSTHSFS", "0"},            {"PCXZPCJJ", "0"},           {"STOCKPLANFLOW", "0"},
        {"STOCKBALANCE", "0"},
    };
    auto profile = db.PrepareRow("INSERT INTO t_SystemProfile (FCategory, FKey, FValue) VALUES ('GL', ?, ?)");
    for (const auto& [key, value] : kProfile) {
        profile->Bind(1, key).Bind(2, value).Execute();
    }

    db.Exec("INSERT INTO GLSelect (FDH, FSQL) VALUES ('分支机构调价商品选择', NULL)");
}

void WriteAttributes(RowSink& db)
{
    auto insert = db.PrepareRow("INSERT INTO glsx (id, name, fid) VALUES (?, ?, ?)");
    for (const auto& type : detail::BranchTypes()) {
        insert->Bind(1, type.id).Bind(2, type.name).Bind(3, 3).Execute();
    }
    for (const auto& attribute : detail::OtherAttributes()) {
        insert->Bind(1, attribute.id).Bind(2, attribute.name).Bind(3, attribute.fid).Execute();
    }
    auto category = db.PrepareRow("INSERT INTO kclb (id, name) VALUES (?, ?)");
    for (const auto& c : detail::Categories()) {
        category->Bind(1, c.id).Bind(2, c.name).Execute();
    }
}

}  // namespace detail

namespace {

void WriteBranchesAndItems(RowSink& db, const detail::DemoDataSet& data)
{
    auto branch = db.PrepareRow("INSERT INTO gl_custom (tjbh, mc, zjm, lx) VALUES (?, ?, ?, ?)");
    for (const auto& b : data.branches) {
        branch->Bind(1, b.code).Bind(2, b.name).Bind(3, b.mnemonic).Bind(4, b.typeId).Execute();
    }
    auto item = db.PrepareRow(
        "INSERT INTO yw_kck (hh, pm, gg, cd, pdw, lb, pm_zjm, FDeleted) VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
    for (const auto& i : data.items) {
        item->Bind(1, i.code).Bind(2, i.name).Bind(3, i.packing).Bind(4, i.origin).Bind(5, i.unit);
        item->Bind(6, i.categoryId).Bind(7, i.mnemonic);
        if (i.deleted) {
            item->Bind(8, *i.deleted);
        } else {
            item->BindNull(8);
        }
        item->Execute();
    }
}

void WritePrices(RowSink& db, const detail::DemoDataSet& data)
{
    std::vector<std::string> targets;
    for (const auto& b : data.branches) {
        targets.push_back(b.code);
    }
    for (const auto& type : detail::BranchTypes()) {
        targets.emplace_back(type.id);
    }
    auto price = db.PrepareRow("INSERT INTO glprice (HH, DWBH, SJ, ZK, SELLPRICE) VALUES (?, ?, ?, 100, ?)");
    for (int i = 0; i < static_cast<int>(data.items.size()); ++i) {
        for (int t = 0; t < data.prices.targetCount; ++t) {
            if (const int cents = data.prices.At(i, t); cents != 0) {
                price->Bind(1, data.items[static_cast<size_t>(i)].code).Bind(2, targets[static_cast<size_t>(t)]);
                price->Bind(3, Money(cents)).Bind(4, Money(cents)).Execute();
            }
        }
    }
}

void WriteBills(RowSink& db, const detail::DemoDataSet& data)
{
    auto header = db.PrepareRow(
        "INSERT INTO SubAdjuctPrice (lsh, kdrq, execdate, bz, czry, fyear, fperiod, shbz, shry, jzbz, dwbh, bz5) "
        "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    auto line = db.PrepareRow("INSERT INTO SubAdjuctPricemx (lsh, dh, hh, pm, sj1, sj2) VALUES (?, ?, ?, ?, ?, ?)");
    for (const auto& bill : data.bills) {
        header->Bind(1, bill.serial).Bind(2, bill.billDate).Bind(3, bill.execDate);
        BindOptional(*header, 4, bill.remark);
        header->Bind(5, bill.maker).Bind(6, bill.year).Bind(7, bill.period).Bind(8, bill.audited ? 1 : 0);
        BindOptional(*header, 9, bill.auditor);
        header->Bind(10, bill.posted ? 1 : 0).Bind(11, bill.target);
        BindOptional(*header, 12, bill.mode);
        header->Execute();
        for (const auto& l : bill.lines) {
            const auto& item = data.items[static_cast<size_t>(l.item)];
            const std::string description = item.name + '\\' + item.packing + '\\' + item.origin + '\\' + item.unit;
            line->Bind(1, bill.serial).Bind(2, l.dh).Bind(3, item.code).Bind(4, description);
            line->Bind(5, Money(l.oldCents)).Bind(6, Money(l.newCents)).Execute();
        }
    }
}

}  // namespace

namespace detail {

void WriteOperators(RowSink& db)
{
    auto op = db.PrepareRow("INSERT INTO t_Operator (FCode, FName) VALUES (?, ?)");
    auto right = db.PrepareRow("INSERT INTO t_OperatorRight (FModule, FOperator, FRight) VALUES (?, ?, ?)");
    const auto& operators = DemoOperators();
    for (size_t n = 0; n < operators.size(); ++n) {
        op->Bind(1, operators[n].code).Bind(2, operators[n].name).Execute();
        for (const std::string& name : ModuleRights()) {
            if (n > 0 && (name == "审核" || name == "查看所有用户")) {
                continue;
            }
            right->Bind(1, kModuleCode).Bind(2, operators[n].code).Bind(3, name).Execute();
        }
    }
    // A grant in another module, which must not count for this one.
    right->Bind(1, "00000101").Bind(2, operators[1].code).Bind(3, "审核").Execute();
}


void WriteDemoRows(RowSink& db, const DemoDataSet& data)
{
    WriteSettings(db);
    WriteAttributes(db);
    WriteBranchesAndItems(db, data);
    WritePrices(db, data);
    WriteBills(db, data);
    WriteOperators(db);
}

}  // namespace detail

void CreateEmptyHostDatabase(const std::string& path)
{
    NewHostDatabase db(path);
    db.Commit();
}

void CreateDemoDatabase(const std::string& path, const DemoOptions& options)
{
    // Generate before touching the disk: bad options leave no file behind.
    const detail::DemoDataSet data = detail::GenerateDemoData(options);
    NewHostDatabase db(path);
    detail::WriteDemoRows(db, data);
    db.Commit();
}

const std::vector<DemoOperator>& DemoOperators()
{
    static const std::vector<DemoOperator> operators = {{"0001", "系统管理员"}, {"0002", "张三"}};
    return operators;
}

const std::vector<std::string>& ModuleRights()
{
    static const std::vector<std::string> rights = {"新增", "修改", "删除", "打印", "重打",
                                                    "报表", "记帐", "审核", "查看所有用户"};
    return rights;
}

}  // namespace schema
