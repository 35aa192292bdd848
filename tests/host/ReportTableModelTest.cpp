// The report grid's model over an in-memory result, watched by Qt's model tester.
#include <QAbstractItemModelTester>
#include <functional>
#include <gtest/gtest.h>

#include "host/QtText.h"
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
                    {"折扣", db::DataType::Double},     {"说明\u202E", db::DataType::Variant}};
    rows->rows = {
        {T("B2"), D(2026, 12, 3), T("Cola 可乐"), N(10.5), N(12), I(0), N(0.125), T("x\u202Efdp.exe")},
        {T("A1"), D(2026, 12, 1, 8, 30), T("milk 牛奶"), N(3), N(2.995), I(1), N(1), Null()},
        {T("C3"), D(2026, 11, 30), T("可乐 大瓶"), Null(), N(7), I(0), N(0.5), T("y")},
        {T("a0"), Null(), Null(), N(8.25), N(8.25), I(1), Null(), Null()},
    };
    return rows;
}

// One column as shown.
QString Column(const ReportTableModel& m, int column) {
    QStringList l;
    for (int r = 0; r < m.ShownRows(); ++r) l << m.index(r, column).data().toString();
    return l.join(',');
}
QString Headings(const ReportTableModel& m) {
    QStringList l;
    for (int c = 0; c < m.columnCount(); ++c) l << m.headerData(c, Qt::Horizontal).toString();
    return l.join(',');
}

class ReportModel : public ::testing::Test {
protected:
    void SetUp() override { model.SetResult(Sample(), 2); }
    QString Cell(int row, int column) const { return model.index(row, column).data().toString(); }
    ReportTableModel model;
    QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::Fatal};
};

using Act = std::function<void(ReportTableModel&)>;
Act Sort(int column, Qt::SortOrder order) {
    return [=](ReportTableModel& m) { m.SortByField(column, order); };
}
Act Filter(std::vector<ReportFilterRule> rules) {
    return [=](ReportTableModel& m) { EXPECT_TRUE(m.SetFilter(rules)); };
}
ReportFilterRule Rule(const char* field, ReportFilterOp op, const char* value, const char* to = "") { return {field, op, value, to}; }

}  // namespace

TEST_F(ReportModel, CellsShowNumbersWithThePriceDecimalsAndDatesAsDates) {
    ASSERT_EQ(model.rowCount(), 5);  // four rows and the totals row
    // A cell or heading cannot reverse the text after it; the value itself stays as stored.
    EXPECT_EQ(Headings(model), QStringLiteral("流水号,开单日期,品名,原售价,新售价,审核标志,折扣,说明<U+202E>"));
    const QString rows[] = {"B2|2026-12-03|Cola 可乐|10.50|12.00|否|0.125|x<U+202E>fdp.exe",
                            "A1|2026-12-01 08:30:00|milk 牛奶|3.00|3.00|是|1|",  // 2.995 rounds up
                            "C3|2026-11-30|可乐 大瓶||7.00|否|0.5|y", "a0|||8.25|8.25|是||",
                            // the label in the first text column, sums of the amounts and prices, no sum of the flag
                            "合计（共4行）|||21.75|30.25||1.625|"};
    for (int r = 0; r < 5; ++r) {
        QStringList cells;
        for (int c = 0; c < 8; ++c) cells << Cell(r, c);
        EXPECT_EQ(cells.join('|'), rows[r]);
    }
    EXPECT_EQ(model.TextAt(0, 7), QStringLiteral("x\u202Efdp.exe"));
    model.SetResult(Sample(), 3);
    EXPECT_EQ(Cell(0, 3), QStringLiteral("10.500"));
}

// Each step, then the serials shown; the sort and the filter stay from step to step.
TEST_F(ReportModel, TheFilterNarrowsAndTheSortPermutesInEitherOrderWithTheTotalsLast) {
    const auto up = Qt::AscendingOrder, down = Qt::DescendingOrder;
    const auto contains = ReportFilterOp::Contains, equals = ReportFilterOp::Equals, between = ReportFilterOp::Between;
    const std::pair<Act, QString> steps[] = {
        {Filter({Rule("品名", contains, "MILK")}), "A1"},  // Latin letters in any case
        {Filter({Rule("流水号", equals, " a1 ")}), "A1"},
        {Filter({Rule("原售价", equals, "10.50")}), "B2"},
        {Filter({Rule("新售价", between, "3", "8.25")}), "C3,a0"},  // bounds included
        {Filter({Rule("新售价", between, "", "3")}), "A1"},         // open below
        {Filter({Rule("开单日期", between, "2026-12-01", "2026-12-03")}), "B2,A1"},
        {Filter({Rule("开单日期", equals, "2026/12/1")}), "A1"},  // the day, whatever the time
        {Filter({Rule("审核标志", equals, "0"), Rule("品名", contains, "大瓶")}), "C3"},  // every condition holds
        {Filter({Rule("原售价", between, "0")}), "B2,A1,a0"},                          // a null holds none
        {Filter({Rule("审核标志", equals, "是")}), "A1,a0"},  // a flag shown 是/否 takes the words
        {Filter({}), "B2,A1,C3,a0"},
        {Sort(3, up), "C3,A1,a0,B2"},  // 原售价 with a null
        {Sort(3, down), "B2,a0,A1,C3"},
        {Sort(1, up), "a0,C3,A1,B2"},  // dates by their time too
        {Sort(5, up), "B2,C3,A1,a0"},  // ties keep the fetched order
        {Sort(0, up), "a0,A1,B2,C3"},  // codes without regard to case
        {Sort(4, down), "B2,a0,C3,A1"},  // sorted, then filtered: the rows that pass keep the sort
        {Filter({Rule("审核标志", equals, "1")}), "a0,A1"},
        {Sort(4, up), "A1,a0"},  // filtered, then sorted: only the rows that pass
        {Filter({Rule("新售价", between, "7")}), "C3,a0,B2"},
        {Sort(5, down), "a0,B2,C3"},  // ties among the rows that pass keep the fetched order both ways
        {Sort(5, up), "B2,C3,a0"},
        {Filter({}), "B2,C3,A1,a0"},  // the filter goes, the sort stays
        {Sort(-1, up), "B2,A1,C3,a0"},
        {Filter({Rule("品名", contains, "可乐")}), "B2,C3"},
    };
    for (size_t i = 0; i < std::size(steps); ++i) {
        steps[i].first(model);
        EXPECT_EQ(Column(model, 0), steps[i].second) << "step " << i;
    }
    EXPECT_EQ(Cell(2, 0) + "|" + Cell(2, 4), QStringLiteral("合计（共2行）|19.00"));
    Filter({Rule("折扣", equals, "9")})(model);
    EXPECT_EQ(Cell(0, 0) + "|" + Cell(0, 3), QStringLiteral("合计（共0行）|0.00"));

    // Conditions that cannot apply are refused, the others kept.
    EXPECT_FALSE(model.SetFilter({Rule("原售价", equals, "abc"), Rule("品名", between, "a", "b"), Rule("没有", equals, "1"),
                                  Rule("开单日期", between, ""), Rule("流水号", contains, "3")}));
    EXPECT_EQ(model.Filter().size(), 1u);
    EXPECT_EQ(Column(model, 0), QStringLiteral("C3"));
}

// Each case: a text and a number column, then actions each followed by one column as shown.
TEST(ReportModelOrder, TextsNumbersAndSerialsSortAndFilterByWhatTheyAre) {
    const auto contains = [&](const char* text) { return Filter({{"名称", ReportFilterOp::Contains, text, ""}}); };
    const auto equals = [&](const char* text) { return Filter({{"名称", ReportFilterOp::Equals, text, ""}}); };
    const auto up = Qt::AscendingOrder, down = Qt::DescendingOrder;
    const struct {
        const char* what;
        std::vector<std::pair<db::Value, db::Value>> values;
        db::DataType textType;
        int shown;
        std::vector<std::pair<Act, QString>> steps;
    } cases[] = {
        {"texts by their bytes past a long common start, Latin letters in both cases, nulls apart",
         {{T("乐家特惠装绿茶"), N(1)}, {Null(), N(2)}, {T("乐家特惠装啤酒"), N(3)}, {T("乐家特惠装"), N(4)}, {T("b"), N(5)},
          {T(""), N(6)}, {T("乐家特惠装绿茶"), N(7)}, {T("B"), N(8)}, {Null(), N(9)}, {T("乐家特惠装啤酒瓶"), N(10)}},
         db::DataType::VarWChar, 1,
         {{Sort(0, up), "2,9,6,8,5,4,3,10,1,7"}, {Sort(0, down), "1,7,10,3,4,5,8,6,2,9"}}},
        {"serials by value as fetched and sorted, also past the sort key",
         {{T("10"), N(1)}, {T("11"), N(2)}, {T("2"), N(3)}, {T("2"), N(4)}, {T("3"), N(5)}, {T("单号甲乙丙丁10"), N(6)},
          {T("单号甲乙丙丁9"), N(7)}},
         db::DataType::VarWChar, 1,
         {{[](ReportTableModel&) {}, "3,4,5,1,2,7,6"}, {Sort(0, down), "6,7,2,1,5,3,4"}, {contains("1"), "6,2,1"}}},
        {"a condition on text holds within one row, never across two; equals takes a padded cell as its text",
         {{T("可  "), N(1)}, {T("乐家"), N(2)}, {T("可乐"), N(3)}, {Null(), N(4)}, {T("大可乐"), N(5)}, {T("x可"), N(6)}, {T("乐"), N(7)},
          {T(""), N(8)}, {T("COLA 可乐"), N(9)}},
         db::DataType::VarWChar, 1,
         {{contains("可乐"), "3,5,9"}, {contains(""), "1,2,3,5,6,7,8,9"}, {contains("cola 可"), "9"}, {equals(" Cola 可乐 "), "9"},
          {equals("可"), "1"},
          {Filter({{"数量", ReportFilterOp::Between, "4", ""}, {"名称", ReportFilterOp::Contains, "乐", ""}}), "5,7,9"}}},
        {"a text column holding numbers: digits by value, conditions on the texts",
         {{I(10), N(1)}, {T("9a"), N(2)}, {N(9.5), N(3)}, {T("x"), N(4)}},
         db::DataType::Variant, 1,
         {{Sort(0, up), "3,2,1,4"}, {contains("9"), "3,2"}, {equals("10"), "1"}}},
        {"negative numbers below zero, minus zero ties with zero",
         {{T("a"), N(-2.5)}, {T("b"), N(0)}, {T("c"), N(3)}, {T("d"), N(-0.0)}, {T("e"), Null()}, {T("f"), N(-10)}, {T("g"), I(2)}},
         db::DataType::VarWChar, 0,
         {{Sort(1, up), "e,f,a,b,d,g,c"}, {Sort(1, down), "c,g,b,d,a,f,e"},
          {Filter({{"数量", ReportFilterOp::Between, "-3", "0"}}), "b,d,a"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ReportTableModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
        auto rows = std::make_shared<db::RowSet>();
        rows->fields = {{"名称", c.textType}, {"数量", db::DataType::Double}};
        for (auto& [text, number] : c.values) rows->rows.push_back({text, number});
        model.SetResult(rows, 2);
        for (size_t i = 0; i < c.steps.size(); ++i) {
            c.steps[i].first(model);
            EXPECT_EQ(Column(model, c.shown), c.steps[i].second) << "step " << i;
        }
    }
}

// Beyond a few rows the sort is no longer stable by itself.
TEST(ReportModelNumbers, TiesKeepTheFetchedOrderWhateverTheSortBeforeInALargeResult) {
    ReportTableModel model;
    auto rows = std::make_shared<db::RowSet>();
    rows->fields = {{"名称", db::DataType::VarWChar}, {"数量", db::DataType::Double}};
    for (int i = 0; i < 300; ++i) rows->rows.push_back({db::Value::Text(QStringLiteral("r%1").arg(i, 3, 10, QChar('0')).toStdString()), N(i % 3)});
    model.SetResult(rows, 2);
    model.sort(0, Qt::DescendingOrder);
    for (auto order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
        model.sort(1, order);
        for (int r = 1; r < model.ShownRows(); ++r)
            ASSERT_TRUE(model.ValueAt(r, 1) != model.ValueAt(r - 1, 1) || model.TextAt(r - 1, 0) < model.TextAt(r, 0)) << r;
    }
}

// Hidden, moved and renamed columns show in ReportOutputTest's workbook; here the definitions refused.
TEST_F(ReportModel, ColumnDefinitionsThatHideEveryColumnOrMissOneFallBack) {
    std::vector<ReportColumnSetting> columns = model.DefaultColumns();
    for (auto& c : columns) c.visible = false;
    EXPECT_FALSE(model.SetColumns(columns));
    EXPECT_EQ(model.Columns(), model.DefaultColumns());
    columns = model.DefaultColumns();
    columns.pop_back();
    EXPECT_FALSE(model.SetColumns(columns));
    EXPECT_EQ(model.columnCount(), 8);
}

TEST_F(ReportModel, AReloadKeepsSortFilterAndColumnsWhileTheyFitAndDropsWhatNoLongerDoes) {
    auto columns = model.DefaultColumns();
    columns[2].visible = false;
    ASSERT_TRUE(model.SetColumns(columns));
    model.SetFilter({{"审核标志", ReportFilterOp::Equals, "1", ""}});
    model.sort(0, Qt::DescendingOrder);
    model.SetResult(Sample(), 2);
    EXPECT_EQ(Column(model, 0), QStringLiteral("A1,a0"));
    EXPECT_EQ(model.columnCount(), 7);

    // A statement whose columns changed: the defaults, and the rules on columns that are gone go.
    auto other = Sample();
    other->fields[2].name = "商品";
    model.SetResult(other, 2);
    EXPECT_EQ(model.Columns(), model.DefaultColumns());
    EXPECT_EQ(model.Filter().size(), 1u);  // 审核标志 is still there
    EXPECT_EQ(model.SortField(), 0);
}

TEST(VisibleText, BidiControlsShowAsTheirCodesAndNothingElseChanges) {
    for (char16_t c : {u'\u202A', u'\u202E', u'\u2066', u'\u2069', u'\u200E', u'\u200F', u'\u061C'}) {
        const QString code = QStringLiteral("<U+%1>").arg(static_cast<uint>(c), 4, 16, QLatin1Char('0')).toUpper();
        EXPECT_EQ(host::VisibleText(QStringLiteral("调价") + QChar(c) + QStringLiteral("exe")), QStringLiteral("调价") + code + "exe");
    }
    for (const QString& same : {QStringLiteral("零\u200B宽\u202F\u2065"), QStringLiteral("عربي U+202E")}) EXPECT_EQ(host::VisibleText(same), same);
}
