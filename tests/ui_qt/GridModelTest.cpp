// The grid's table model over a real 100,000-row recordset (checked by QAbstractItemModelTester)
// and its cost, and the grid view's current row and widths following the Grid state.
#include <QAbstractItemModelTester>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <sqlite3.h>

#include "UiTestSupport.h"
#include "db/Connection.h"
#include "ui/Grid.h"
#include "ui/Window.h"
#include "ui/qt/GridBinding.h"

using ui::qt::GridModel;
using Tester = QAbstractItemModelTester;

namespace {

// A table of `rows` items: code C000001.., name, price i/2.
void MakeTable(sqlite3* db, const std::string& table, int rows) {
    sqlite3_exec(db, ("create table " + table + " (code varchar(20), name varchar(40), price numeric(18,4))").c_str(),
                 nullptr, nullptr, nullptr);
    sqlite3_exec(db, "begin", nullptr, nullptr, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, ("insert into " + table + " values (?,?,?)").c_str(), -1, &st, nullptr);
    std::unique_ptr<sqlite3_stmt, decltype(&sqlite3_finalize)> owned(st, &sqlite3_finalize);
    for (int i = 1; i <= rows; ++i) {
        std::string code = QStringLiteral("C%1").arg(i, 6, 10, QLatin1Char('0')).toStdString();
        std::string name = "商品" + std::to_string(i);
        sqlite3_bind_text(st, 1, code.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 2, name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_double(st, 3, i / 2.0);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_exec(db, "commit", nullptr, nullptr, nullptr);
}

QString Cell(const QAbstractItemModel& m, int row, int col) { return m.data(m.index(row, col)).toString(); }

}  // namespace

class GridModelTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    db::Connection conn;
    ui::Window owner{"grid owner", ""};
    db::Recordset Open(const char* table) {
        return conn.OpenRecordset(std::string("select code as 编码, name as 名称, price as 单价 from ") + table + " order by code");
    }

private slots:
    void initTestCase() {
        const std::string path = dir.filePath(QStringLiteral("grid.db")).toStdString();
        sqlite3* raw = nullptr;
        QCOMPARE(sqlite3_open(path.c_str(), &raw), SQLITE_OK);
        std::unique_ptr<sqlite3, decltype(&sqlite3_close)> db(raw, &sqlite3_close);
        MakeTable(raw, "big", 100000);
        conn.Open("Provider=SQLite;Data Source=" + path);
    }

    void modelOverOneHundredThousandRows() {
        QElapsedTimer clock;
        clock.start();
        db::Recordset rs = Open("big");
        const qint64 openMs = clock.elapsed();
        ui::Grid grid(owner, "Vs");
        GridModel model(grid);
        qint64 resetMs = 0, sortMs = 0;
        {
            Tester tester(&model, Tester::FailureReportingMode::QtTest);
            // Qt 6.4's tester fetches from inside its own reset and insert checks and then reports
            // overlapping changes; the fetches are made here instead. It walks every fetched row
            // after each change, so it is not kept for the full fill.
            tester.setUseFetchMore(false);
            clock.restart();
            grid.Bind(rs);
            resetMs = clock.elapsed();
            QCOMPARE(model.rowCount(), GridModel::kFetchBatch);
            QCOMPARE(model.columnCount(), 4);
            QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("编码"));
            QCOMPARE(Cell(model, 0, 1), QStringLiteral("C000001"));  // model row 0 is grid row 1
            QCOMPARE(Cell(model, 2, 3), QStringLiteral("1.5"));
            QCOMPARE(model.data(model.index(0, 0), Qt::TextAlignmentRole).toInt(), int(Qt::AlignCenter));
            QVERIFY(!(model.flags(model.index(0, 1)) & Qt::ItemIsEditable));
            model.fetchMore(QModelIndex());
            QCOMPARE(model.rowCount(), 2 * GridModel::kFetchBatch);

            // Marks show at once and are reported once for a burst of changes; moves report nothing.
            QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
            grid.SetTextMatrix(3, 0, "√");
            grid.SetTextMatrix(100000, 0, "√");
            grid.SetTextMatrix(0, 0, "   ");
            QCOMPARE(Cell(model, 2, 0), QStringLiteral("√"));
            QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("   "));
            QTRY_COMPARE(changed.count(), 1);
            QVERIFY(changed[0][0].toModelIndex().row() <= 2 && changed[0][1].toModelIndex().row() >= 2);
            rs.MoveNext();
            rs.MoveNext();
            QCoreApplication::processEvents();
            QCOMPARE(changed.count(), 1);

            // A sort resets the model; the marks follow their records.
            QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
            clock.restart();
            rs.Sort("单价 DESC");
            grid.Refresh();
            sortMs = clock.elapsed();
            QCOMPARE(resets.count(), 1);
            QCOMPARE(Cell(model, 0, 1) + Cell(model, 0, 0), QStringLiteral("C100000√"));
        }
        clock.restart();
        while (model.canFetchMore(QModelIndex())) model.fetchMore(QModelIndex());
        const qint64 fillMs = clock.elapsed();
        QCOMPARE(model.rowCount(), 100000);
        QCOMPARE(Cell(model, 99997, 1) + Cell(model, 99997, 0), QStringLiteral("C000003√"));
        grid.Unbind();
        QCOMPARE(model.rowCount(), 0);
        qInfo("100000 rows: open %lld ms, model reset %lld ms, sort and reset %lld ms, fill %lld ms", openMs, resetMs,
              sortMs, fillMs);
        QVERIFY2(resetMs < 100 && fillMs < 1000, "the model's cost must not grow with the rows");
    }

    void viewAndGridFollowEachOther() {
        ui::Grid grid(owner, "Vs");
        ui::qt::GridView view;
        ui::qt::GridBinding binding(grid, &view);
        binding.Start();
        view.resize(600, 400);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        db::Recordset rs = Open("big");
        grid.Bind(rs);
        grid.SetColWidth(0, 400);
        QCOMPARE(view.columnWidth(0), 400 / 15);
        QCOMPARE(view.currentIndex().row(), 0);

        // The logic moves past the rows fetched so far: the view follows and shows the row.
        rs.MoveLast();
        QCOMPARE(view.currentIndex().row(), 99999);
        QVERIFY(view.viewport()->rect().intersects(view.visualRect(view.currentIndex())));
        QTest::keyClick(&view, Qt::Key_Up);  // and the record follows the operator
        QCOMPARE(rs.AbsolutePosition(), 99999L);

        // Marking every row notifies once per row; each notification must stay cheap.
        QElapsedTimer clock;
        clock.start();
        for (int r = 1; r < grid.Rows(); ++r) grid.SetTextMatrix(r, 0, "√");
        const qint64 markMs = clock.elapsed();
        qInfo("marking 100000 bound rows: %lld ms", markMs);
        QVERIFY(markMs < 2000);

        // A width the operator set survives a re-sort; the grid's own width stays applied.
        view.setColumnWidth(1, 150);
        rs.Sort("编码 DESC");
        grid.Refresh();
        QCOMPARE(view.columnWidth(1), 150);
        QCOMPARE(view.columnWidth(0), 400 / 15);
        QCOMPARE(view.currentIndex().row(), rs.AbsolutePosition() - 1);
    }

    void columnsFitOnceAlignByKindAndTheLastFillsTheGrid() {
        sqlite3* raw = nullptr;
        const std::string path = dir.filePath(QStringLiteral("grid.db")).toStdString();
        QCOMPARE(sqlite3_open(path.c_str(), &raw), SQLITE_OK);
        std::unique_ptr<sqlite3, decltype(&sqlite3_close)> db(raw, &sqlite3_close);
        MakeTable(raw, "few", 3);
        sqlite3_exec(raw, "create table none (code varchar(20), name varchar(40), price numeric(18,4))", nullptr, nullptr, nullptr);
        sqlite3_exec(raw, "update few set name = name || '一个很长很长很长很长很长很长很长很长很长很长很长很长很长很长很长的名称' where code = 'C000002'",
                     nullptr, nullptr, nullptr);

        ui::Grid grid(owner, "VfgContent");
        ui::qt::GridView view;
        ui::qt::GridBinding binding(grid, &view);
        binding.Start();
        view.resize(900, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        grid.Bind(Open("none"));  // shown empty first, as a new bill's lines
        const int headingOnly = view.columnWidth(2);
        grid.Bind(Open("few"));
        grid.SetColFormat(3, {.decimals = 2});
        QApplication::processEvents();

        // Column by column: text shown and alignment.
        const struct {
            int col;
            QString text;
            Qt::Alignment align;
        } columns[] = {{0, QString(), Qt::AlignHCenter},
                       {1, QStringLiteral("C000001"), Qt::AlignLeft},
                       {3, QStringLiteral("0.50"), Qt::AlignRight}};
        const QAbstractItemModel& m = *view.model();
        for (const auto& c : columns) {
            QCOMPARE(Cell(m, 0, c.col), c.text);
            QCOMPARE(m.data(m.index(0, c.col), Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignHorizontal_Mask, c.align);
        }

        // Widths followed the rows once they came, within the limits; the last column fills.
        QVERIFY(view.columnWidth(2) > headingOnly);
        QCOMPARE(view.columnWidth(2), ui::qt::GridBinding::kMaxColumnWidth);
        for (int c = 0; c + 1 < m.columnCount(); ++c) QVERIFY(view.columnWidth(c) >= ui::qt::GridBinding::kMinColumnWidth);
        int used = 0;
        for (int c = 0; c < m.columnCount(); ++c) used += view.columnWidth(c);
        QCOMPARE(used, view.viewport()->width());

        // Set once: a later fill of the same columns keeps what the operator made of them.
        view.setColumnWidth(1, 200);
        grid.Bind(Open("few"));
        QCOMPARE(view.columnWidth(1), 200);
    }
};

static const bool registered = uitest::AddSuite([](int argc, char** argv) {
    GridModelTest t;
    return QTest::qExec(&t, argc, argv);
});

#include "GridModelTest.moc"
