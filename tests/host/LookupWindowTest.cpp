// The lookup window: what ShowLookup returns, the picker's filter and keys, and the filter's speed.
#include <QAbstractItemModelTester>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTest>
#include <functional>
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
using Zero = std::vector<Value>;

const char* kBranches = "select tjbh as 编号, mc as 名称, zjm as 助记码 from gl_custom order by tjbh";

QString StatusLine(QWidget* w) {
    for (auto* label : w->findChildren<QLabel*>())
        if (label->text().startsWith(QStringLiteral("共"))) return label->text();
    return {};
}

TEST(LookupWindow, KeyScriptsPickOrCancelAndFailuresRaise) {
    testing_support::TestDatabase t{true};
    t.OpenHostConnection();
    host::RegisterLookupWindow();
    auto rs = t.Db().OpenRecordset(kBranches);
    std::vector<std::string> codes, names, matches;  // matches: codes of the rows holding "01" somewhere
    for (int r = 0; r < rs.RecordCount(); ++r) {
        codes.push_back(rs.At(r, 0).ToText());
        names.push_back(rs.At(r, 1).ToText());
        if ((codes.back() + "\n" + names.back() + "\n" + rs.At(r, 2).ToText()).find("01") != std::string::npos)
            matches.push_back(codes.back());
    }
    ASSERT_TRUE(matches.size() >= 2 && matches.size() < codes.size());
    {
        host_test::UnexpectedModalGuard guard;  // no row or one row: no window
        EXPECT_EQ(data::ShowLookup("select tjbh, mc from gl_custom where tjbh='none'", 0), Zero{Value::Int16(0)});
        const auto r = data::ShowLookup("select tjbh, mc from gl_custom where tjbh='" + codes[0] + "'", 0);
        ASSERT_EQ(r.size(), 3u);
        EXPECT_EQ(r[0].ToText() + "|" + r[1].ToText() + "|" + r[2].ToText(), "1|" + codes[0] + "|" + names[0]);
        EXPECT_EQ(guard.Seen(), 0);
    }
    const QString count = QStringLiteral("共 %1 条").arg(matches.size());
    const struct {
        const char* what;
        std::function<void(LookupDialog*)> keys;
        std::string picked;  // "" when cancelled
    } cases[] = {
        {"filter, down in the filter box, Return",
         [&](LookupDialog* d) {
             QTest::keyClicks(d->FilterBox(), QStringLiteral("01"));
             EXPECT_EQ(StatusLine(d), count);
             QTest::keyClick(d->FilterBox(), Qt::Key_Down);
             QTest::keyClick(d->FilterBox(), Qt::Key_Return);
         },
         matches[1]},
        {"Return on no match does nothing, Escape cancels",
         [](LookupDialog* d) {
             QTest::keyClicks(d->FilterBox(), QStringLiteral("zz-no-such-branch"));
             QTest::keyClick(d->FilterBox(), Qt::Key_Return);
             EXPECT_TRUE(d->isVisible() && StatusLine(d) == QStringLiteral("共 0 条"));
             QTest::keyClick(d->FilterBox(), Qt::Key_Escape);
         },
         ""},
        {"down twice and Enter in the grid",
         [](LookupDialog* d) { for (auto key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Enter}) QTest::keyClick(d->Grid(), key); }, codes[2]},
        {"a double click", [](LookupDialog* d) { emit d->Grid()->doubleClicked(d->Model()->index(3, 1)); }, codes[3]},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        host_test::WhenModal<LookupDialog>(c.keys);
        const auto r = data::ShowLookup(kBranches, 0);
        EXPECT_EQ(r.size() == 4 && r[0].ToInt32() == 1 ? r[1].ToText() : r.size() == 1 && r[0].ToInt32() == 0 ? "" : "?", c.picked);
    }

    host::QtLookupWindow w;
    for (const auto& [conn, sql] : {std::pair<std::string, std::string>{t.ConnStr(), "select nosuchcolumn from gl_custom"},
                                    {"Provider=SQLite;Data Source=/nonexistent/folder/x.db", kBranches}}) {
        w.SetConnectionString(conn);
        w.SetStatement(sql);
        EXPECT_THROW(w.Show(), db::Error);
        EXPECT_EQ(w.Result(), Zero{Value::Int16(0)});
    }
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

TEST(LookupTableModel, CodesShowByValuePricesInTheHostsDecimalsAndTheMnemonicIsSearched) {
    auto rows = std::make_shared<db::RowSet>();
    rows->fields = {{"货号", db::DataType::VarChar}, {"品名", db::DataType::VarChar}, {"售价", db::DataType::Numeric},
                    {"折扣", db::DataType::Double},  {"助记码", db::DataType::VarChar}};
    for (const char* code : {"10", "11", "2", "3"})  // fetched "order by a.hh": as texts
        rows->rows.push_back({Value::Text(code), Value::Text(std::string("白王饼条") + code), Value::Double(1.005),
                              Value::Double(0.5), Value::Text(std::string("BWBT") + code)});
    host::LookupTableModel model(rows, nullptr, 2);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QStringList shown;
    for (int r = 0; r < model.rowCount(); ++r) shown << model.data(model.index(r, 0)).toString();
    for (int c : {2, 3, 4}) shown << model.data(model.index(0, c)).toString();  // a price, a number that is no price
    EXPECT_EQ(shown.join(','), QStringLiteral("2,3,10,11,1.01,0.5,BWBT2"));
    // A price matches as shown; a match never spans two cells.
    for (const auto& [text, rows] : {std::pair{u"1.01", 4}, {u"条2BWBT", 0}, {u"1.005", 0}})
        EXPECT_EQ((model.SetFilter(QString::fromUtf16(text)), model.rowCount()), rows) << QString::fromUtf16(text).toStdString();
    model.SetFilter(QStringLiteral("bwbt1"));  // the mnemonic, in any case
    ASSERT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.SourceRow(0) * 10 + model.SourceRow(1), 1) << "10, then 11: the filter keeps the order shown";
}

// Keystrokes in the picker, each re-filtering every row at worst; the bound allows for sanitizers.
TEST(LookupTableModel, FilteringManyRowsIsQuick) {
    constexpr int kRows = 50000;
    LookupDialog dialog(MakeRows(kRows));
    QElapsedTimer clock;
    dialog.show();
    QApplication::processEvents();
    qint64 worst = 0;
    for (auto key : {Qt::Key_M, Qt::Key_I, Qt::Key_Backspace, Qt::Key_Backspace, Qt::Key_9}) {
        clock.restart();
        QTest::keyClick(dialog.FilterBox(), key);
        QApplication::processEvents();
        worst = std::max(worst, clock.elapsed());
    }
    EXPECT_TRUE(dialog.Model()->rowCount() > 0 && dialog.Model()->rowCount() < kRows);
#if defined(__SANITIZE_ADDRESS__)
    EXPECT_LT(worst, 4000);
#else
    EXPECT_LT(worst, 1000);  // linear: a few hundred ms on a loaded machine; quadratic: seconds
#endif
}

}  // namespace
