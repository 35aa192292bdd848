// The report grid component over the host database, on every driver.
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QTest>
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>

#include "ModalDriver.h"
#include "data/ComponentFactory.h"
#include "db/Error.h"
#include "host/ReportColumnsDialog.h"
#include "host/ReportFilterDialog.h"
#include "host/ReportGridComponent.h"
#include "host/ReportGridWidget.h"
#include "host/ReportPropertiesDialog.h"
#include "host/ReportSettingsStore.h"
#include "host/ReportTableModel.h"
#include "support/FileSizeLimit.h"
#include "support/TestDatabase.h"

namespace {

namespace fs = std::filesystem;
using host::ReportFilterOp;
using host::ReportGridComponent;
using host_test::ChooseFile;
using host_test::WhenModal;

const std::string kCode = "SD分支机构调价单浏览";
const std::string kDetail =
    "SELECT A.LSH AS 流水号,A.KDRQ AS 开单日期,A.BZ AS 备注,B.DH AS 单号, B.HH AS 货号,C.LB AS 类别代号,D.NAME AS 类别名称, "
    "C.PM AS 品名, C.GG AS 规格, C.CD AS 产地, C.PDW AS 单位,B.SJ1 AS 原售价,B.SJ2 AS 新售价,A.SHBZ AS 审核标志,"
    "A.CZRY AS 操作人员 FROM SubAdjuctPrice A LEFT  JOIN SubAdjuctPriceMX B ON A.LSH = B.LSH LEFT JOIN YW_KCK C ON "
    "B.HH = C.HH  left join kclb d on c.lb=d.id  Where A.Czry='系统管理员' and a.jzbz=0 and isnull(a.bz5,'')=''  Order By A.LSH";

class ReportGridTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::path(t.Path()).parent_path();
        settings = QString::fromStdString((dir / "config" / "report.ini").string());
        host::RegisterReportGrid(settings);
        t.Exec("insert into sys_var (jjbl) values (3)");
        t.Exec("insert into kclb (id,name) values ('01','饮料')");
        t.Exec("insert into yw_kck (hh,pm,gg,cd,pdw,lb) values ('H1','可乐','330ml','上海','听','01')");
        t.Exec("insert into yw_kck (hh,pm,gg,cd,pdw,lb) values ('H2','牛奶','1L','北京','盒','01')");
        t.StoreBill({"TJ1", "001", 0, 0, {{"H1", 10.5, 12}, {"H2", 8, 7.5}}, "NULL", "''", "2026-12-01"});
        t.StoreBill({"TJ2", "001", 0, 0, {{"H2", 3, 3.25}}, "NULL", "''", "2026-12-03"});
        t.StoreBill({"TJ3", "001", 0, 0, {}, "NULL", "''", "2026-12-05"});
    }
    void TearDown() override { data::ComponentFactory::Unregister(data::ComponentName::ReportGrid); }
    std::unique_ptr<ReportGridComponent> Make(const std::string& code = kCode, const std::string& sql = kDetail) {
        auto grid = data::ComponentFactory::CreateAs<data::ReportGrid>(data::ComponentName::ReportGrid);
        grid->SetDataFormat(0);
        grid->SetConnectStr(t.ConnStr());
        grid->SetDataSource(sql);
        grid->SetIsShowOrder(false);
        grid->SetReportCode(code);
        grid->SetReportName("分支机构调价单浏览");
        grid->SetStartDate("2026-12-06");
        grid->SetEndDate("2026-12-06");
        grid->SetUserDefStr0("");
        grid->SetUserDefStr1("");
        grid->RefreshReport();
        return std::unique_ptr<ReportGridComponent>(dynamic_cast<ReportGridComponent*>(grid.release()));
    }
    static QStringList Headings(const host::ReportTableModel& m) {
        QStringList l;
        for (int c = 0; c < m.columnCount(); ++c) l << m.headerData(c, Qt::Horizontal).toString();
        return l;
    }
    static QString Cell(const host::ReportTableModel& m, int row, int column) { return m.index(row, column).data().toString(); }

    testing_support::TestDatabase t;
    fs::path dir;
    QString settings;
};

}  // namespace

TEST_F(ReportGridTest, LoadsTheStatementOnItsOwnConnectionIntoTheWidgetAndAFailingOneKeepsTheReport) {
    auto grid = Make();
    const auto& m = grid->Model();
    EXPECT_TRUE(t.Sent(kDetail));
    EXPECT_EQ(m.columnCount(), 15);
    ASSERT_EQ(m.ShownRows(), 4);  // three lines and the bill without lines
    EXPECT_EQ(Cell(m, 0, 0) + "|" + Cell(m, 0, 11), QStringLiteral("TJ1|10.500"));  // in the host's price decimals
    auto* widget = static_cast<QWidget*>(grid->NativeWidget());
    EXPECT_EQ(grid->Widget()->Status()->text(), QStringLiteral("共 4 行"));
    grid->SetWidth(9000);
    grid->SetHeight(-30);
    EXPECT_EQ(widget->size(), QSize(600, 0));

    t.Exec("delete from sys_var");  // without the price setting: two decimals
    grid = Make();
    EXPECT_EQ(Cell(grid->Model(), 0, 11), QStringLiteral("10.50"));
    grid->SetDataSource("select * from 没有这张表");
    EXPECT_THROW(grid->RefreshReport(), db::Error);
    EXPECT_EQ(grid->Model().ShownRows(), 4);
    grid->SetConnectStr("Provider=SQLite;Data Source=" + (dir / "nosuch.db").string());
    EXPECT_THROW(grid->RefreshReport(), db::Error);
}

TEST_F(ReportGridTest, TheArrangementIsKeptPerReportCodeAndFallsBackWhenTheColumnsChange) {
    {
        auto grid = Make();
        auto columns = grid->Model().Columns();
        columns[2].visible = false;  // 备注
        columns[7].heading = "商品";  // 品名
        std::swap(columns[0], columns[4]);
        ASSERT_TRUE(grid->Model().SetColumns(columns));
        grid->Model().SetFilter({{"货号", ReportFilterOp::Equals, "h2", ""}});
        grid->Save();
    }
    auto again = Make();
    EXPECT_EQ(Headings(again->Model()).mid(0, 8).join(','), QStringLiteral("货号,开单日期,单号,流水号,类别代号,类别名称,商品,规格"));
    EXPECT_EQ(again->Model().ShownRows(), 2);
    EXPECT_EQ(again->Widget()->Status()->text(), QStringLiteral("已过滤：显示 2 行，共 4 行"));
    again->Widget()->ClearFilterButton()->click();  // one button clears it, and that is kept too
    EXPECT_EQ(again->Model().ShownRows(), 4);
    EXPECT_TRUE(host::ReportSettingsStore(settings).Load(kCode).filter.empty());

    EXPECT_EQ(Make("另一个报表")->Model().columnCount(), 15);
    auto changed = Make(kCode, "select lsh as 流水号, kdrq as 日期 from SubAdjuctPrice");
    EXPECT_EQ(Headings(changed->Model()).join(','), QStringLiteral("流水号,日期"));
    changed.reset();
    auto back = Make();  // nothing was saved by the changed statement
    EXPECT_EQ(Headings(back->Model()).first(), QStringLiteral("货号"));
}

TEST_F(ReportGridTest, TheDialogsChangeTheReportAndKeepWhatTheyChanged) {
    auto grid = Make();
    WhenModal<host::ReportFilterDialog>([](host::ReportFilterDialog* d) {
        const int row = d->RowOf("新售价");
        d->OpBox(row)->setCurrentIndex(d->OpBox(row)->findText(QStringLiteral("介于")));
        d->ValueEdit(row)->setText(QStringLiteral("7.5"));
        d->ToEdit(row)->setText(QStringLiteral("12"));
        d->accept();
    });
    grid->ExecAction(data::ReportAction::Filter);
    EXPECT_EQ(grid->Model().ShownRows(), 2);
    EXPECT_EQ(host::ReportSettingsStore(settings).Load(kCode).filter.size(), 1u);  // kept at once
    WhenModal<host::ReportFilterDialog>([](host::ReportFilterDialog* d) {
        EXPECT_EQ(d->ValueEdit(d->RowOf("新售价"))->text(), QStringLiteral("7.5"));  // the filter in force
        d->ClearButton()->click();
    });
    grid->ExecAction(data::ReportAction::Filter);
    EXPECT_EQ(grid->Model().ShownRows(), 4);

    WhenModal<host::ReportColumnsDialog>([](host::ReportColumnsDialog* d) {
        d->Table()->item(0, 0)->setCheckState(Qt::Unchecked);  // hide 流水号
        d->Table()->setCurrentCell(12, 1);                    // 新售价 up one place
        d->MoveCurrent(-1);
        d->Table()->item(11, 2)->setText(QStringLiteral("现价"));
        d->accept();
    });
    grid->ExecAction(data::ReportAction::Columns);
    EXPECT_EQ(Headings(grid->Model()).mid(9, 3).join(','), QStringLiteral("单位,现价,原售价"));
    EXPECT_EQ(host::ReportSettingsStore(settings).Load(kCode).columns, grid->Model().Columns());  // kept at once

    for (bool accept : {true, false}) {  // a cancel changes nothing
        WhenModal<host::ReportPropertiesDialog>([accept](host::ReportPropertiesDialog* d) {
            d->TitleEdit()->setText(accept ? QStringLiteral("十二月调价明细") : QStringLiteral("x"));
            d->FontSizeBox()->setValue(11);
            d->OrientationBox()->setCurrentIndex(0);
            d->MarginBox(2)->setValue(20);
            accept ? d->accept() : d->reject();
        });
        grid->ExecAction(data::ReportAction::Properties);
    }
    const host::ReportSettings saved = host::ReportSettingsStore(settings).Load(kCode);
    host::ReportPageSetup page;
    page.title = "十二月调价明细";
    page.fontSize = 11;
    page.landscape = false;
    page.marginLeft = 20;
    EXPECT_TRUE(saved.page == page && grid->Settings().page == page);
    EXPECT_EQ(saved.columns, grid->Model().Columns());
    grid->ExecAction(9);  // no such action
}

TEST_F(ReportGridTest, AClickOnAHeadingSortsAndASecondReversesAndAReloadKeepsIt) {
    auto grid = Make();
    grid->Widget()->resize(900, 400);
    grid->Widget()->show();
    QHeaderView* header = grid->Widget()->Table()->horizontalHeader();
    const QPoint at(header->sectionViewportPosition(12) + 5, header->height() / 2);  // 新售价
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    EXPECT_EQ(Cell(grid->Model(), 0, 0) + Cell(grid->Model(), 1, 0), QStringLiteral("TJ3TJ2"));  // the null first
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    grid->RefreshReport();
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);
    EXPECT_EQ(Cell(grid->Model(), 0, 12) + Cell(grid->Model(), 4, 0), QStringLiteral("12.000合计（共4行）"));
}

TEST_F(ReportGridTest, ExportWritesTheRowsShownToTheFileTheOperatorNames) {
    t.Exec("update SubAdjuctPrice set bz='" + QString(40000, QChar(u'长')).toStdString() + "' where lsh='TJ2'");
    auto grid = Make();
    EXPECT_TRUE(grid->DefaultExportPath().endsWith(QStringLiteral("/分支机构调价单浏览-20261206.xlsx")));
    grid->Model().SetFilter({{"货号", ReportFilterOp::Equals, "H2", ""}});
    const QString path = QString::fromStdString((dir / "导出.xlsx").string());
    WhenModal<QFileDialog>([&](QFileDialog* d) {
        EXPECT_EQ(d->acceptMode(), QFileDialog::AcceptSave);
        ChooseFile(d, path);
    });
    grid->ExecAction(data::ReportAction::Export);
    ASSERT_EQ(grid->LastExport(), path);
    EXPECT_TRUE(QFileInfo(path).size() > 0);
    EXPECT_EQ(grid->Widget()->Status()->text(),
              QStringLiteral("已过滤：显示 2 行，共 4 行；已导出到 %1；有1个单元格超过32767个字符，已截短").arg(path));
    grid->Model().SortByField(0, Qt::DescendingOrder);
    EXPECT_EQ(grid->Widget()->Status()->text(), QStringLiteral("已过滤：显示 2 行，共 4 行"));

    WhenModal<QFileDialog>([](QFileDialog* d) { d->reject(); });
    grid->ExecAction(data::ReportAction::Export);
    WhenModal<QFileDialog>([&](QFileDialog* d) { ChooseFile(d, QString::fromStdString((dir / "坏.xlsx").string())); });
    testing_support::FileSizeLimit full(4096);
    EXPECT_THROW(grid->Export(), db::Error) << "a full disk reaches the caller";
}

// What the store reads for a report of 15 columns: the counts of columns and conditions, the widths,
// then the font size, top, bottom and left margins, landscape, title length.
static std::string Summary(const host::ReportSettings& s) {
    std::string text = std::to_string(s.columns.size()) + " " + std::to_string(s.filter.size()) + " [";
    for (const auto& c : s.columns) text += std::to_string(c.width) + ",";
    text += "]";
    const auto& p = s.page;
    for (int n : {p.fontSize, p.marginTop, p.marginBottom, p.marginLeft, int(p.landscape), int(p.title.size())})
        text += " " + std::to_string(n);
    return text;
}

TEST_F(ReportGridTest, ATamperedSettingsFileNeitherHangsTheReportNorBreaksItsLayout) {
    fs::create_directories(fs::path(settings.toStdString()).parent_path());
    const std::string group = "[" + kCode + "]\n";
    std::string many = group + "columns\\size=40\n";
    for (int i = 1; i <= 40; ++i) many += "columns\\" + std::to_string(i) + "\\field=f" + std::to_string(i) + "\n";
    const struct {
        std::string ini, summary;
    } cases[] = {
        {group + "columns\\size=2147483647\ncolumns\\1\\field=流水号\ncolumns\\2\\field=货号\n", "2 0 [0,0,] 9 12 12 10 1 0"},
        {group + "filter\\size=2147483647\nfilter\\1\\field=货号\nfilter\\1\\op=equals\n", "0 1 [] 9 12 12 10 1 0"},
        {many, "15 0 [0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,] 9 12 12 10 1 0"},
        {group + "columns\\size=3\ncolumns\\1\\field=a\ncolumns\\1\\width=99999999999\ncolumns\\2\\field=b\n"
                 "columns\\2\\width=-7\ncolumns\\3\\field=c\ncolumns\\3\\width=宽\n",
         "3 0 [2000,0,0,] 9 12 12 10 1 0"},
        {group + "page\\fontSize=1000\npage\\marginTop=-5\npage\\marginBottom=2147483648\npage\\marginLeft=1e9\n"
                 "page\\landscape=maybe\n",
         "0 0 [] 24 0 60 10 1 0"},
        {group + "page\\title=" + std::string(100000, 'T') + "\n", "0 0 [] 9 12 12 10 1 200"},
        {group + "page\\fontSize=11\n" + "; " + std::string(5 << 20, 'x') + "\n", "0 0 [] 9 12 12 10 1 0"},  // too large
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ini.substr(0, 80));
        std::ofstream(settings.toStdString(), std::ios::binary | std::ios::trunc) << c.ini;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(Summary(host::ReportSettingsStore(settings).Load(kCode, 15)), c.summary);
        EXPECT_EQ(Make()->Model().columnCount(), 15);
        // A size taken at its word reads for minutes; five seconds leave room for a loaded machine.
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    }
}

TEST_F(ReportGridTest, PreviewShowsThePagesAndOffersSavingAsPdf) {
    auto grid = Make();
    int pages = 0;
    const QString path = QString::fromStdString((dir / "预览.pdf").string());
    WhenModal<QPrintPreviewDialog>([&](QPrintPreviewDialog* d) {
        if (auto* preview = d->findChild<QPrintPreviewWidget*>()) pages = preview->pageCount();
        EXPECT_TRUE(host_test::OnScreen(*d)) << d->width();  // it asks for 1000 pixels
        host_test::SavePreview(d, path, grid->DefaultPdfPath());
    });
    grid->ExecAction(data::ReportAction::Preview);
    EXPECT_EQ(pages, 1);
    QFile pdf(path);
    EXPECT_TRUE(pdf.open(QIODevice::ReadOnly) && pdf.read(5) == "%PDF-");
}

// The PDF is named by the printed title (the report name when it has none), as a file system takes it.
TEST_F(ReportGridTest, ThePdfIsNamedByThePrintedTitle) {
    const struct {
        QString title, name;
    } cases[] = {
        {QString(), QStringLiteral("分支机构调价单浏览-20261206.pdf")},
        {QStringLiteral("十二月调价汇总"), QStringLiteral("十二月调价汇总-20261206.pdf")},
        {QStringLiteral("月度/调价:汇总*"), QStringLiteral("月度-调价-汇总--20261206.pdf")},  // separators and wildcards
        {QStringLiteral("..\u202E隐藏"), QStringLiteral("-隐藏-20261206.pdf")},            // leading dots, an override
        {QString(200, QChar(u'长')), QString(80, QChar(u'长')) + QStringLiteral("-20261206.pdf")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title.toStdString());
        host::ReportSettings saved;
        saved.page.title = c.title.toStdString();
        ASSERT_TRUE(host::ReportSettingsStore(settings).Save(kCode, saved));
        EXPECT_EQ(QFileInfo(Make()->DefaultPdfPath()).fileName(), c.name);
    }
}
