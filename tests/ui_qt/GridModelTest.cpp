// The grid's table model over a 100,000-row recordset, its cost, and the view following the Grid.
#include <sqlite3.h>
#include <QAbstractItemModelTester>
#include <QElapsedTimer>
#include <QSignalSpy>

#include "UiTestSupport.h"
#include "db/Connection.h"
#include "support/ScratchDir.h"
#include "ui/Grid.h"
#include "ui/Window.h"
#include "ui/qt/GridBinding.h"

using Tester = QAbstractItemModelTester;

namespace {

QString Cell(const QAbstractItemModel& m, int row, int col) { return m.data(m.index(row, col)).toString(); }

}  // namespace

class Grid : public ::testing::Test {
protected:
    // 100,000 items made once for the suite: code C000001.., name, price i/2.
    static void SetUpTestSuite() {
        dir = std::make_unique<testing_support::ScratchDir>("spb-grid");
        sqlite3* raw = nullptr;
        ASSERT_EQ(sqlite3_open(Path().c_str(), &raw), SQLITE_OK);
        std::unique_ptr<sqlite3, decltype(&sqlite3_close)> db(raw, &sqlite3_close);
        ASSERT_EQ(sqlite3_exec(raw,
                               "create table big (code varchar(20), name varchar(40), price numeric(18,4));"
                               "insert into big with recursive n(i) as (select 1 union all select i + 1 from n where i < 100000) "
                               "select printf('C%06d', i), '商品' || i, i / 2.0 from n",
                               nullptr, nullptr, nullptr),
                  SQLITE_OK);
    }
    static void TearDownTestSuite() { dir.reset(); }
    static std::string Path() { return *dir / "grid.db"; }
    Grid() { conn.Open("Provider=SQLite;Data Source=" + Path()); }
    db::Recordset Open() { return conn.OpenRecordset("select code as 编码, name as 名称, price as 单价 from big order by code"); }
    static inline std::unique_ptr<testing_support::ScratchDir> dir;
    db::Connection conn;
    ui::Window owner{"grid owner", ""};
};

TEST_F(Grid, ModelOverOneHundredThousandRows) {
    db::Recordset rs = Open();
    ui::Grid grid(owner, "Vs");
    ui::qt::GridModel model(grid);
    QElapsedTimer clock;
    qint64 resetMs = 0;
    {
        Tester tester(&model, Tester::FailureReportingMode::Fatal);
        // Qt 6.4's tester fetches from inside its own reset and insert checks and then reports
        // overlapping changes; the fetches are made here instead. It walks every fetched row
        // after each change, so it is not kept for the full fill.
        tester.setUseFetchMore(false);
        clock.start();
        grid.Bind(rs);
        resetMs = clock.elapsed();
        EXPECT_EQ(model.rowCount(), ui::qt::GridModel::kFetchBatch);
        EXPECT_EQ(model.columnCount(), 4);
        EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("编码"));
        EXPECT_EQ(Cell(model, 0, 1), QStringLiteral("C000001"));  // model row 0 is grid row 1
        EXPECT_EQ(Cell(model, 2, 3), QStringLiteral("1.5"));
        EXPECT_EQ(model.data(model.index(0, 0), Qt::TextAlignmentRole).toInt(), int(Qt::AlignCenter));
        EXPECT_EQ(model.data(model.index(0, 3), Qt::TextAlignmentRole).toInt(), int(Qt::AlignRight | Qt::AlignVCenter));
        EXPECT_TRUE(!(model.flags(model.index(0, 1)) & Qt::ItemIsEditable));
        model.fetchMore(QModelIndex());
        EXPECT_EQ(model.rowCount(), 2 * ui::qt::GridModel::kFetchBatch);

        // Marks show at once and are reported once for a burst of changes; moves report nothing.
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        grid.SetTextMatrix(3, 0, "√");
        grid.SetTextMatrix(100000, 0, "√");
        grid.SetTextMatrix(0, 0, "   ");
        EXPECT_EQ(Cell(model, 2, 0), QStringLiteral("√"));
        EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("   "));
        EXPECT_SOON(changed.count() == 1);
        EXPECT_TRUE(changed[0][0].toModelIndex().row() <= 2 && changed[0][1].toModelIndex().row() >= 2);
        rs.MoveNext();
        rs.MoveNext();
        QCoreApplication::processEvents();
        EXPECT_EQ(changed.count(), 1);

        // A sort resets the model; the marks follow their records.
        QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
        rs.Sort("单价 DESC");
        grid.Refresh();
        EXPECT_EQ(resets.count(), 1);
        EXPECT_EQ(Cell(model, 0, 1) + Cell(model, 0, 0), QStringLiteral("C100000√"));
    }
    clock.restart();
    while (model.canFetchMore(QModelIndex())) model.fetchMore(QModelIndex());
    const qint64 fillMs = clock.elapsed();
    EXPECT_EQ(model.rowCount(), 100000);
    EXPECT_EQ(Cell(model, 99997, 1) + Cell(model, 99997, 0), QStringLiteral("C000003√"));
    grid.Unbind();
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_TRUE(resetMs < 100 && fillMs < 1000) << "the model's cost must not grow with the rows";
}

TEST_F(Grid, ViewAndGridFollowEachOther) {
    ui::Grid grid(owner, "Vs");
    ui::qt::GridView view;
    ui::qt::GridBinding binding(grid, &view);
    binding.Start();
    view.resize(600, 400);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    db::Recordset rs = Open();
    grid.Bind(rs);
    EXPECT_EQ(view.currentIndex().row(), 0);

    // The logic moves past the rows fetched so far: the view follows and shows the row.
    rs.MoveLast();
    EXPECT_EQ(view.currentIndex().row(), 99999);
    EXPECT_TRUE(view.viewport()->rect().intersects(view.visualRect(view.currentIndex())));
    QTest::keyClick(&view, Qt::Key_Up);  // and the record follows the operator
    EXPECT_EQ(rs.AbsolutePosition(), 99999L);

    // Marking every row notifies once per row; each notification must stay cheap.
    QElapsedTimer clock;
    clock.start();
    for (int r = 1; r < grid.Rows(); ++r) grid.SetTextMatrix(r, 0, "√");
    EXPECT_LT(clock.elapsed(), 2000);
    rs.Sort("编码 DESC");
    grid.Refresh();
    EXPECT_EQ(view.currentIndex().row(), rs.AbsolutePosition() - 1);
}
