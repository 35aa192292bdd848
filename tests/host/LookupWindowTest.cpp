// The lookup window: the arrays ShowLookup returns for no row, one row, a pick and a cancel; the
// picker's filter, keys and status line; and the filter's speed on 100,000 rows.
#include <QAbstractItemModelTester>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

#include "ModalDriver.h"
#include "data/LookupWindow.h"
#include "db/Error.h"
#include "host/LookupDialog.h"
#include "host/LookupTableModel.h"
#include "host/QtLookupWindow.h"
#include "support/TestDatabase.h"

namespace {

using db::Value;
using host::LookupDialog;
using host_test::WhenModal;
using Zero = std::vector<Value>;

const char* kBranches = "select tjbh as 编号, mc as 名称, zjm as 助记码 from gl_custom order by tjbh";

class LookupWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        t.OpenHostConnection();
        host::RegisterLookupWindow();
        auto rs = t.Db().OpenRecordset(kBranches);
        for (int r = 0; r < rs.RecordCount(); ++r) branches.push_back({rs.At(r, 0).ToText(), rs.At(r, 1).ToText(), rs.At(r, 2).ToText()});
    }
    testing_support::TestDatabase t{true};
    std::vector<std::vector<std::string>> branches;  // the rows of kBranches
};

QString StatusLine(QWidget* w) {
    for (auto* label : w->findChildren<QLabel*>())
        if (label->text().startsWith(QStringLiteral("共"))) return label->text();
    return {};
}

TEST_F(LookupWindowTest, NoRowOrOneRowNeedsNoWindow) {
    host_test::UnexpectedModalGuard guard;
    EXPECT_EQ(data::ShowLookup("select tjbh, mc from gl_custom where tjbh='none'", 0), Zero{Value::Int16(0)});
    auto r = data::ShowLookup("select tjbh, mc from gl_custom where tjbh='" + branches[0][0] + "'", 0);
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[0].ToInt32(), 1);
    EXPECT_EQ(r[1].ToText(), branches[0][0]);
    EXPECT_EQ(r[2].ToText(), branches[0][1]);
    EXPECT_EQ(guard.Seen(), 0);
}

TEST_F(LookupWindowTest, FilterThenDownAndEnterPickTheSecondMatch) {
    std::vector<size_t> matches;  // rows holding "01" in some column
    for (size_t i = 0; i < branches.size(); ++i)
        if ((branches[i][0] + "\n" + branches[i][1] + "\n" + branches[i][2]).find("01") != std::string::npos) matches.push_back(i);
    ASSERT_GE(matches.size(), 2u);
    ASSERT_LT(matches.size(), branches.size());

    QString title, status, heading;
    WhenModal<LookupDialog>([&](LookupDialog* d) {
        title = d->windowTitle();
        heading = d->Model()->headerData(1, Qt::Horizontal).toString();
        QTest::keyClicks(d->FilterBox(), QStringLiteral("01"));
        status = StatusLine(d);
        QTest::keyClick(d->FilterBox(), Qt::Key_Down);  // the filter box keeps the focus
        QTest::keyClick(d->FilterBox(), Qt::Key_Return);
    });
    auto r = data::ShowLookup(kBranches, 0);
    EXPECT_EQ(title, QStringLiteral("选择"));
    EXPECT_EQ(heading, QStringLiteral("名称"));
    EXPECT_EQ(status, QStringLiteral("共 %1 条").arg(matches.size()));
    ASSERT_EQ(r.size(), 4u);
    EXPECT_EQ(r[0].ToInt32(), 1);
    EXPECT_EQ(r[1].ToText(), branches[matches[1]][0]);
    EXPECT_EQ(r[2].ToText(), branches[matches[1]][1]);
}

TEST_F(LookupWindowTest, EscapeCancelsAndEnterOnNothingDoesNothing) {
    bool stillOpen = false;
    WhenModal<LookupDialog>([&](LookupDialog* d) {
        QTest::keyClicks(d->FilterBox(), QStringLiteral("zz-no-such-branch"));
        QTest::keyClick(d->FilterBox(), Qt::Key_Return);
        stillOpen = d->isVisible() && StatusLine(d) == QStringLiteral("共 0 条");
        QTest::keyClick(d->FilterBox(), Qt::Key_Escape);
    });
    EXPECT_EQ(data::ShowLookup(kBranches, 0), Zero{Value::Int16(0)});
    EXPECT_TRUE(stillOpen);
}

TEST_F(LookupWindowTest, KeysInTheGridAndADoubleClickPick) {
    WhenModal<LookupDialog>([](LookupDialog* d) {
        QTest::keyClick(d->Grid(), Qt::Key_Down);
        QTest::keyClick(d->Grid(), Qt::Key_Down);
        QTest::keyClick(d->Grid(), Qt::Key_Enter);
    });
    auto r = data::ShowLookup(kBranches, 0);
    ASSERT_EQ(r.size(), 4u);
    EXPECT_EQ(r[1].ToText(), branches[2][0]);

    WhenModal<LookupDialog>([](LookupDialog* d) { emit d->Grid()->doubleClicked(d->Model()->index(3, 1)); });
    r = data::ShowLookup(kBranches, 0);
    ASSERT_EQ(r.size(), 4u);
    EXPECT_EQ(r[1].ToText(), branches[3][0]);
}

TEST_F(LookupWindowTest, AFailureRaisesAndLeavesZero) {
    host::QtLookupWindow w;
    w.SetConnectionString(t.ConnStr());
    w.SetStatement("select nosuchcolumn from gl_custom");
    EXPECT_THROW(w.Show(), db::Error);
    EXPECT_EQ(w.Result(), Zero{Value::Int16(0)});
    w.SetConnectionString("Provider=SQLite;Data Source=/nonexistent/folder/x.db");
    w.SetStatement(kBranches);
    EXPECT_THROW(w.Show(), db::Error);
    EXPECT_EQ(w.Result(), Zero{Value::Int16(0)});
}

std::shared_ptr<db::RowSet> MakeRows(int n) {
    auto rows = std::make_shared<db::RowSet>();
    rows->fields = {{"货号", db::DataType::VarChar}, {"品名", db::DataType::VarChar},
                    {"规格", db::DataType::VarChar}, {"售价", db::DataType::Numeric}};
    static const char* names[] = {"Cola 可乐", "Tea 绿茶", "Milk 牛奶", "Bread 面包", "Rice 大米"};
    for (int i = 0; i < n; ++i) {
        char code[16];
        std::snprintf(code, sizeof code, "I%06d", i);
        rows->rows.push_back({Value::Text(code), Value::Text(names[i % 5]), Value::Text(std::to_string(i % 37) + "ml"),
                              Value::Double(i * 0.25)});
    }
    return rows;
}

TEST(LookupTableModel, FilterMatchesAnyOneColumnIgnoringCase) {
    host::LookupTableModel model(MakeRows(50));
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(model.rowCount(), 50);
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("货号"));

    model.SetFilter(QStringLiteral("cOLA"));
    EXPECT_EQ(model.rowCount(), 10);
    EXPECT_EQ(model.data(model.index(1, 0)).toString(), QStringLiteral("I000005"));
    EXPECT_EQ(model.SourceRow(1), 5);
    model.SetFilter(QStringLiteral("cola 可乐x"));  // typing on narrows ...
    EXPECT_EQ(model.rowCount(), 0);
    model.SetFilter(QStringLiteral("cola"));  // ... and backspacing widens again
    EXPECT_EQ(model.rowCount(), 10);
    model.SetFilter(QStringLiteral("2.25"));  // prices: rows 9 (2.25) and 49 (12.25)
    EXPECT_EQ(model.rowCount(), 2);
    model.SetFilter(QStringLiteral("36ml"));
    ASSERT_EQ(model.rowCount(), 1);
    EXPECT_EQ(model.SourceRow(0), 36);
    model.SetFilter(QStringLiteral("I000001Tea"));  // a match never spans two cells
    EXPECT_EQ(model.rowCount(), 0);
    model.SetFilter(QString());
    EXPECT_EQ(model.rowCount(), 50);
}

TEST(LookupTableModel, CodesShowByValuePricesInTheHostsDecimalsAndTheMnemonicIsSearched) {
    auto rows = std::make_shared<db::RowSet>();
    rows->fields = {{"货号", db::DataType::VarChar}, {"品名", db::DataType::VarChar}, {"售价", db::DataType::Numeric},
                    {"折扣", db::DataType::Double},  {"助记码", db::DataType::VarChar}};
    // Fetched "order by a.hh": as texts.
    for (const char* code : {"10", "11", "2", "3"})
        rows->rows.push_back({Value::Text(code), Value::Text(std::string("白王饼条") + code), Value::Double(1.005),
                              Value::Double(0.5), Value::Text(std::string("BWBT") + code)});
    host::LookupTableModel model(rows, nullptr, 2);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QStringList codes;
    for (int r = 0; r < model.rowCount(); ++r) codes << model.data(model.index(r, 0)).toString();
    EXPECT_EQ(codes.join(','), QStringLiteral("2,3,10,11"));
    EXPECT_EQ(model.SourceRow(0), 2);

    const struct {
        int column;
        QString text;
        Qt::Alignment align;
    } columns[] = {{0, QStringLiteral("2"), Qt::AlignLeft},
                   {2, QStringLiteral("1.01"), Qt::AlignRight},  // a price: the host's decimals
                   {3, QStringLiteral("0.5"), Qt::AlignRight},   // a number that is no price
                   {4, QStringLiteral("BWBT2"), Qt::AlignLeft}};
    for (const auto& c : columns) {
        EXPECT_EQ(model.data(model.index(0, c.column)).toString(), c.text) << c.column;
        EXPECT_EQ(model.data(model.index(0, c.column), Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignHorizontal_Mask,
                  c.align)
            << c.column;
    }
    model.SetFilter(QStringLiteral("bwbt1"));
    ASSERT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.SourceRow(0), 0);  // 10, then 11: the filter keeps the order shown
    EXPECT_EQ(model.SourceRow(1), 1);
}

TEST(LookupDialogWidths, EveryColumnThePriceIncludedIsInViewWithoutScrolling) {
    auto rows = MakeRows(40);
    rows->fields.insert(rows->fields.begin() + 2, {{"规格说明", db::DataType::VarChar}, {"产地", db::DataType::VarChar}});
    for (auto& row : rows->rows)
        row.insert(row.begin() + 2, {Value::Text("一段很长很长很长很长很长很长很长很长很长很长很长的说明文字"), Value::Text("烟台")});
    rows->fields.push_back({"助记码", db::DataType::VarChar});
    for (auto& row : rows->rows) row.push_back(Value::Text("KL"));
    LookupDialog dialog(rows, nullptr, 2);
    dialog.show();
    QApplication::processEvents();
    QTableView* grid = dialog.Grid();
    const int price = 5;
    ASSERT_EQ(rows->fields[price].name, "售价");
    for (int c = 0; c < dialog.Model()->columnCount(); ++c) {
        EXPECT_GE(grid->columnWidth(c), LookupDialog::kMinColumnWidth) << c;
        if (c + 1 < dialog.Model()->columnCount()) {
            EXPECT_LE(grid->columnWidth(c), LookupDialog::kMaxColumnWidth) << c;
        }
    }
    const int right = grid->columnViewportPosition(price) + grid->columnWidth(price);
    EXPECT_LE(right, grid->viewport()->width()) << "the price column ends inside the grid";
    EXPECT_EQ(grid->horizontalScrollBar()->maximum(), 0);
}

// Keystrokes in the picker on 100,000 rows, each re-filtering every row at worst. The bound is
// generous for sanitizer builds; the times are printed.
TEST(LookupTableModel, FilteringAHundredThousandRowsIsQuick) {
    constexpr int kRows = 100000;
    QElapsedTimer clock;
    clock.start();
    LookupDialog dialog(MakeRows(kRows));
    const qint64 buildMs = clock.elapsed();
    dialog.show();
    QApplication::processEvents();
    qint64 worst = 0;
    for (auto key : {Qt::Key_M, Qt::Key_I, Qt::Key_Backspace, Qt::Key_Backspace, Qt::Key_9}) {
        clock.restart();
        QTest::keyClick(dialog.FilterBox(), key);
        QApplication::processEvents();
        worst = std::max(worst, clock.elapsed());
    }
    EXPECT_GT(dialog.Model()->rowCount(), 0);
    EXPECT_LT(dialog.Model()->rowCount(), kRows);
    std::printf("[ measure  ] %d rows: picker built in %lld ms, slowest keystroke %lld ms\n", kRows,
                static_cast<long long>(buildMs), static_cast<long long>(worst));
#if defined(__SANITIZE_ADDRESS__)
    EXPECT_LT(worst, 4000);  // an unoptimised, instrumented build runs about eight times slower
#else
    EXPECT_LT(worst, 500);
#endif
}

}  // namespace
