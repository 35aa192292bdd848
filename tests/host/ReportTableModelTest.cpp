// The report grid's model over an in-memory result: what the cells show, sorting, the filter and
// the totals that follow it, column definitions and their fall-back, and a reload that keeps the
// arrangement. Qt's model tester watches every change.
#include <QAbstractItemModelTester>
#include <gtest/gtest.h>

#include "host/ReportFilter.h"
#include "host/ReportTableModel.h"

using host::ReportColumnSetting;
using host::ReportFilterOp;
using host::ReportFilterRule;
using host::ReportTableModel;

namespace {

db::Value T(const char* s) { return db::Value::Text(s); }
db::Value D(int y, int m, int d, int hh = 0, int mm = 0) { return db::Value::Date(db::DateTime{y, m, d, hh, mm, 0}); }
db::Value N(double v) { return db::Value::Double(v); }
db::Value I(int v) { return db::Value::Int32(v); }
db::Value Null() { return db::Value::Null(); }

std::shared_ptr<db::RowSet> Sample() {
    auto rows = std::make_shared<db::RowSet>();
    rows->fields = {{"流水号", db::DataType::VarChar}, {"开单日期", db::DataType::DBTimeStamp}, {"品名", db::DataType::VarWChar},
                    {"原售价", db::DataType::Numeric},  {"新售价", db::DataType::Numeric},       {"审核标志", db::DataType::Integer},
                    {"折扣", db::DataType::Double},     {"说明", db::DataType::Variant}};
    rows->rows = {
        {T("B2"), D(2026, 12, 3), T("Cola 可乐"), N(10.5), N(12), I(0), N(0.125), T("x")},
        {T("A1"), D(2026, 12, 1, 8, 30), T("milk 牛奶"), N(3), N(2.995), I(1), N(1), Null()},
        {T("C3"), D(2026, 11, 30), T("可乐 大瓶"), Null(), N(7), I(0), N(0.5), T("y")},
        {T("a0"), Null(), Null(), N(8.25), N(8.25), I(1), Null(), Null()},
    };
    return rows;
}

class ReportModel : public ::testing::Test {
protected:
    void SetUp() override { model.SetResult(Sample(), 2); }
    QString Cell(int row, int column) const { return model.index(row, column).data().toString(); }
    QStringList ColumnText(int column) const {
        QStringList l;
        for (int r = 0; r < model.ShownRows(); ++r) l << Cell(r, column);
        return l;
    }
    QStringList Headings() const {
        QStringList l;
        for (int c = 0; c < model.columnCount(); ++c) l << model.headerData(c, Qt::Horizontal).toString();
        return l;
    }
    ReportTableModel model;
    QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::Fatal};
};

}  // namespace

TEST_F(ReportModel, CellsShowNumbersWithThePriceDecimalsAndDatesAsDates) {
    ASSERT_EQ(model.columnCount(), 8);
    ASSERT_EQ(model.rowCount(), 5);  // four rows and the totals row
    EXPECT_EQ(Headings().join(','), QStringLiteral("流水号,开单日期,品名,原售价,新售价,审核标志,折扣,说明"));
    EXPECT_EQ(Cell(0, 3) + "|" + Cell(0, 4) + "|" + Cell(1, 4), QStringLiteral("10.50|12.00|3.00"));  // 2.995 rounds up
    EXPECT_EQ(Cell(0, 5) + "|" + Cell(0, 6), QStringLiteral("0|0.125"));  // integer, and a decimal that is no price
    EXPECT_EQ(Cell(0, 1) + "|" + Cell(1, 1) + "|" + Cell(3, 1), QStringLiteral("2026-12-03|2026-12-01 08:30:00|"));
    EXPECT_EQ(Cell(2, 3), QString());  // null
    EXPECT_EQ(model.index(0, 3).data(Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignRight, Qt::AlignRight);
    EXPECT_EQ(model.index(0, 2).data(Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignLeft, Qt::AlignLeft);
    EXPECT_EQ(model.Fields()[7].kind, host::ReportFieldKind::Text);  // a column of text and nulls

    // The totals row: the label in the first text column, sums of the numeric columns.
    EXPECT_EQ(Cell(4, 0), QStringLiteral("合计（共4行）"));
    EXPECT_EQ(Cell(4, 3) + "|" + Cell(4, 4) + "|" + Cell(4, 5) + "|" + Cell(4, 6), QStringLiteral("21.75|30.25|2|1.625"));
    EXPECT_EQ(Cell(4, 1), QString());
    EXPECT_TRUE(model.index(4, 0).data(Qt::FontRole).value<QFont>().bold());
    EXPECT_EQ(model.headerData(4, Qt::Vertical).toString(), QStringLiteral("合计"));

    model.SetResult(Sample(), 3);
    EXPECT_EQ(Cell(0, 3), QStringLiteral("10.500"));
}

TEST_F(ReportModel, SortingPermutesRowsKeepsTiesInOrderAndTheTotalsLast) {
    model.sort(3, Qt::AscendingOrder);  // 原售价 with a null
    EXPECT_EQ(ColumnText(0).join(','), QStringLiteral("C3,A1,a0,B2"));
    model.sort(3, Qt::DescendingOrder);
    EXPECT_EQ(ColumnText(0).join(','), QStringLiteral("B2,a0,A1,C3"));
    EXPECT_EQ(Cell(4, 0), QStringLiteral("合计（共4行）"));
    model.sort(1, Qt::AscendingOrder);  // dates by their time too
    EXPECT_EQ(ColumnText(0).join(','), QStringLiteral("a0,C3,A1,B2"));
    model.sort(5, Qt::AscendingOrder);  // ties keep the fetched order
    EXPECT_EQ(ColumnText(0).join(','), QStringLiteral("B2,C3,A1,a0"));
    model.sort(0, Qt::AscendingOrder);
    EXPECT_EQ(ColumnText(0).join(','), QStringLiteral("A1,B2,C3,a0"));
    model.SortByField(-1, Qt::AscendingOrder);
    EXPECT_EQ(ColumnText(0).join(','), QStringLiteral("B2,A1,C3,a0"));
}

TEST_F(ReportModel, TheFilterNarrowsTheRowsAndTheTotalsFollow) {
    auto apply = [&](std::vector<ReportFilterRule> rules) {
        EXPECT_TRUE(model.SetFilter(std::move(rules)));
        return ColumnText(0).join(',');
    };
    EXPECT_EQ(apply({{"品名", ReportFilterOp::Contains, "可乐", ""}}), QStringLiteral("B2,C3"));
    EXPECT_EQ(Cell(2, 0), QStringLiteral("合计（共2行）"));
    EXPECT_EQ(Cell(2, 4), QStringLiteral("19.00"));
    EXPECT_EQ(apply({{"品名", ReportFilterOp::Contains, "MILK", ""}}), QStringLiteral("A1"));  // Latin letters in any case
    EXPECT_EQ(apply({{"流水号", ReportFilterOp::Equals, " a1 ", ""}}), QStringLiteral("A1"));
    EXPECT_EQ(apply({{"原售价", ReportFilterOp::Equals, "10.50", ""}}), QStringLiteral("B2"));
    EXPECT_EQ(apply({{"新售价", ReportFilterOp::Between, "3", "8.25"}}), QStringLiteral("C3,a0"));  // bounds included
    EXPECT_EQ(apply({{"新售价", ReportFilterOp::Between, "", "3"}}), QStringLiteral("A1"));        // open below
    EXPECT_EQ(apply({{"开单日期", ReportFilterOp::Between, "2026-12-01", "2026-12-03"}}), QStringLiteral("B2,A1"));
    EXPECT_EQ(apply({{"开单日期", ReportFilterOp::Equals, "2026/12/1", ""}}), QStringLiteral("A1"));  // the day, whatever the time
    // Every condition holds; a null holds none.
    EXPECT_EQ(apply({{"审核标志", ReportFilterOp::Equals, "0", ""}, {"品名", ReportFilterOp::Contains, "大瓶", ""}}),
              QStringLiteral("C3"));
    EXPECT_EQ(apply({{"原售价", ReportFilterOp::Between, "0", ""}}), QStringLiteral("B2,A1,a0"));
    EXPECT_EQ(apply({{"折扣", ReportFilterOp::Equals, "9", ""}}), QString());
    EXPECT_EQ(Cell(0, 0) + "|" + Cell(0, 3), QStringLiteral("合计（共0行）|0.00"));

    // Conditions that cannot apply are refused, the others kept.
    EXPECT_FALSE(model.SetFilter({{"原售价", ReportFilterOp::Equals, "abc", ""},
                                  {"品名", ReportFilterOp::Between, "a", "b"},
                                  {"没有", ReportFilterOp::Equals, "1", ""},
                                  {"开单日期", ReportFilterOp::Between, "", ""},
                                  {"流水号", ReportFilterOp::Contains, "3", ""}}));
    EXPECT_EQ(model.Filter().size(), 1u);
    EXPECT_EQ(ColumnText(0).join(','), QStringLiteral("C3"));
    EXPECT_TRUE(model.SetFilter({}));
    EXPECT_EQ(model.ShownRows(), 4);
}

TEST_F(ReportModel, ColumnDefinitionsHideReorderAndRenameAndBadOnesFallBack) {
    std::vector<ReportColumnSetting> columns = model.DefaultColumns();
    std::swap(columns[0], columns[3]);  // 原售价 first
    columns[1].visible = false;         // 开单日期
    columns[2].heading = "货品";
    columns[3].width = 120;
    ASSERT_TRUE(model.SetColumns(columns));
    EXPECT_EQ(Headings().join(','), QStringLiteral("原售价,货品,流水号,新售价,审核标志,折扣,说明"));
    EXPECT_EQ(Cell(0, 0) + "|" + Cell(0, 1), QStringLiteral("10.50|Cola 可乐"));
    EXPECT_EQ(Cell(4, 1), QStringLiteral("合计（共4行）"));  // the label goes to the first text column shown
    EXPECT_EQ(model.ColumnWidth(0), 120);
    model.SetColumnWidth(0, 90);  // dragged in the grid
    EXPECT_EQ(model.Columns()[0].width, 90);

    auto noneShown = columns;
    for (auto& c : noneShown) c.visible = false;
    EXPECT_FALSE(model.SetColumns(noneShown));
    EXPECT_EQ(model.Columns(), model.DefaultColumns());
    auto missing = model.DefaultColumns();
    missing.pop_back();
    EXPECT_FALSE(model.SetColumns(missing));
    EXPECT_EQ(model.columnCount(), 8);
}

TEST_F(ReportModel, AReloadKeepsSortFilterAndColumnsWhileTheyFitAndDropsWhatNoLongerDoes) {
    auto columns = model.DefaultColumns();
    columns[2].visible = false;
    ASSERT_TRUE(model.SetColumns(columns));
    model.SetFilter({{"审核标志", ReportFilterOp::Equals, "1", ""}});
    model.sort(0, Qt::DescendingOrder);
    model.SetResult(Sample(), 2);
    EXPECT_EQ(ColumnText(0).join(','), QStringLiteral("a0,A1"));
    EXPECT_EQ(model.columnCount(), 7);

    // A statement whose columns changed: the defaults, and the rules on columns that are gone go.
    auto other = Sample();
    other->fields[2].name = "商品";
    model.SetResult(other, 2);
    EXPECT_EQ(model.Columns(), model.DefaultColumns());
    EXPECT_EQ(model.Filter().size(), 1u);  // 审核标志 is still there
    EXPECT_EQ(model.SortField(), 0);

    auto empty = std::make_shared<db::RowSet>();
    empty->fields = Sample()->fields;
    model.SetResult(empty, 2);
    EXPECT_EQ(model.rowCount(), 1);  // headings and a totals row of 0
    EXPECT_EQ(Cell(0, 0) + "|" + Cell(0, 3) + "|" + Cell(0, 5), QStringLiteral("合计（共0行）|0.00|0"));
}

TEST(ReportModelArrange, ASavedArrangementWaitsForTheResultItWasMadeFor) {
    ReportTableModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    auto columns = std::vector<ReportColumnSetting>{{"品名", true, 0, "名称"}, {"流水号", false, 0, ""}};
    model.Arrange(columns, {{"品名", ReportFilterOp::Contains, "可乐", ""}});
    EXPECT_EQ(model.rowCount(), 0);
    auto two = std::make_shared<db::RowSet>();
    two->fields = {{"流水号", db::DataType::VarChar}, {"品名", db::DataType::VarChar}};
    two->rows = {{T("1"), T("可乐")}, {T("2"), T("牛奶")}};
    model.SetResult(two, 2);
    EXPECT_EQ(model.columnCount(), 1);
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("名称"));
    EXPECT_EQ(model.rowCount(), 2);
}
