// The report window on the screen, opened from the browser over the host's real report grid.
#include <QAbstractItemView>
#include <QTest>
#include <gtest/gtest.h>

#include "browser/FrmBrowser.h"
#include "data/ComponentFactory.h"
#include "data/HostContext.h"
#include "host/ModalDriver.h"
#include "host/ReportGridComponent.h"
#include "support/TestDatabase.h"
#include "ui/qt/QtToolkit.h"
#include "ui/qt/ToolbarBinding.h"
#include "views/FrmReportView.h"
#include "views/StandardViews.h"

using host_test::WhenModal;
using views::FrmReportView;

namespace {

class ReportView : public ::testing::Test {
protected:
    void SetUp() override {
        views::RegisterStandardViews();
        previous_ = &ui::CurrentToolkit();  // the test database's headless toolkit
        ui::InstallToolkit(&toolkit_);
        host::RegisterReportGrid(QString::fromStdString((std::filesystem::path(t.Path()).parent_path() / "report.ini").string()));
        t.OpenHostConnection("0001", "系统管理员");
        t.Grant("0001", "报表");
        t.Exec("insert into SubAdjuctPrice (lsh,kdrq,bz,czry,shbz,jzbz,dwbh,bz5) values ('TJ1','2026-12-01','r','系统管理员',0,0,'001','')");
        t.Exec("insert into SubAdjuctPricemx (lsh,dh,hh,pm,sj1,sj2) values ('TJ1','1','H1','p',10,12)");
        t.Exec("insert into SubAdjuctPricemx (lsh,dh,hh,pm,sj1,sj2) values ('TJ1','2','H2','p',5,4)");
        data::Host().BranchMode = data::ByBranch;
    }
    void TearDown() override {
        ui::InstallToolkit(previous_);
        data::ComponentFactory::Unregister(data::ComponentName::ReportGrid);
    }
    testing_support::TestDatabase t;
    ui::qt::QtToolkit toolkit_;
    ui::Toolkit* previous_ = nullptr;
};

}  // namespace

// Opened from the toolbar and closed by 返回, then from the menu and closed by Esc in the grid.
TEST_F(ReportView, TheBrowsersReportOpensTheWindowWithItsBandToolbarAndGrid) {
    for (bool escape : {false, true}) {
        SCOPED_TRACE(escape);
        QPointer<QWidget> grid;
        bool shown = false;
        WhenModal<FrmReportView>([&](FrmReportView* v) {
            shown = true;
            grid = v->Grid();
            EXPECT_EQ(v->ReportName()->text(), QStringLiteral("分支机构调价单浏览"));
            auto* table = v->Grid()->findChild<QAbstractItemView*>();
            ASSERT_NE(table, nullptr);
            EXPECT_EQ(table->model()->rowCount(), 3);  // two lines and the totals
            v->resize(640, 420);  // the grid fills what the toolbar and the band leave
            QApplication::processEvents();
            const int top = v->ToolBar()->height() + v->Band()->height();
            EXPECT_EQ(v->Grid()->geometry(), QRect(0, top, 640, 420 - top));
            if (!escape) return v->ToolbarBound().ActionOf("返回")->trigger();
            table->setFocus();
            QTest::keyClick(table, Qt::Key_Down);  // keys still reach the grid
            EXPECT_EQ(table->currentIndex().row(), 1);
            QTest::keyClick(table, Qt::Key_Escape);
        });
        browser::FrmBrowser browser;
        escape ? browser.Menu_Click("mnuBrowInput") : browser.Toolbar.Press("报表");
        EXPECT_TRUE(shown);
        EXPECT_TRUE(grid.isNull());  // released with the window, after the dialog gave it back
    }
}
