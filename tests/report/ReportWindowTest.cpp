// The report window on the headless toolkit over a recording grid.
#include <gtest/gtest.h>

#include "FakeReportGrid.h"
#include "data/HostContext.h"
#include "report/FrmReport.h"
#include "report/OpenReportWindow.h"
#include "ui/Keys.h"

using report::FrmReport;
using report_test::ScopedFakeGrid;

namespace {

class ReportWindow : public ::testing::Test {
protected:
    void SetUp() override { data::Host().ConnStr = "Provider=SQLite;Data Source=/srv/host.db"; }
    void TearDown() override { data::Host().ConnStr.clear(); }
    // Opens the window as the browser does and runs the operator's actions on it.
    void Open(std::function<void(FrmReport&)> act = {}) {
        if (act) tk->OnShow("FrmReport", [act](ui::Window& w) { act(dynamic_cast<FrmReport&>(w)); });
        report::OpenReportWindow("select 1", "SD分支机构调价单浏览", "分支机构调价单浏览", "2026-12-06", "2026-12-06");
    }
    std::vector<std::string> CallsFrom(size_t from) const {
        return {grid.log.calls.begin() + static_cast<long>(from), grid.log.calls.end()};
    }
    ui::ScopedHeadlessToolkit tk;
    ScopedFakeGrid grid{&*tk};
};

}  // namespace

TEST_F(ReportWindow, LoadHandsTheGridItsPropertiesInOrderThenLoadsUnderTheBusyPointer) {
    bool shown = false;
    Open([&](FrmReport& w) {
        shown = true;
        EXPECT_EQ(w.LblRptName.Caption(), "分支机构调价单浏览");
        EXPECT_EQ(tk->BusyDepth(), 0);
    });
    ASSERT_TRUE(shown);
    EXPECT_EQ(grid.log.calls,
              (std::vector<std::string>{"DataFormat 0", "ConnectStr Provider=SQLite;Data Source=/srv/host.db", "DataSource select 1",
                                        "IsShowOrder false", "ReportCode SD分支机构调价单浏览", "ReportName 分支机构调价单浏览",
                                        "StartDate 2026-12-06", "EndDate 2026-12-06", "UserDefStr0 ", "UserDefStr1 ",
                                        "RefreshReport"}));
    EXPECT_EQ(grid.log.busyAtRefresh, (std::vector<int>{1}));
    EXPECT_EQ(grid.log.created + grid.log.destroyed, 2);  // released with the window
    EXPECT_TRUE(tk->Messages().empty());
}

TEST_F(ReportWindow, TheToolbarAndTheKeysReachTheGridAndCloseTheWindow) {
    Open([&](FrmReport& w) {
        const size_t loaded = grid.log.calls.size();
        w.DataSource = "select 2";  // read only at load
        for (const char* key : {"预览", "导出", "属性", "过滤", "页面", "刷新", "打印", ""}) w.Toolbar1.Press(key);
        EXPECT_EQ(CallsFrom(loaded), (std::vector<std::string>{"ExecAction 1", "ExecAction 2", "ExecAction 3", "ExecAction 4",
                                                               "ExecAction 5", "RefreshReport"}));
        EXPECT_EQ(grid.log.busyAtRefresh, (std::vector<int>{1, 1}));
        int key = ui::Key::Enter;
        w.OnKeyDown(key, 0);
        EXPECT_TRUE(key == ui::Key::Enter && w.IsShown());
        w.Toolbar1.Press("返回");
        EXPECT_FALSE(w.IsShown());
    });
    Open([&](FrmReport& w) {
        int key = ui::Key::Escape;
        w.OnKeyDown(key, 0);
        EXPECT_TRUE(key == 0 && !w.IsShown());
    });
    EXPECT_EQ(tk->ShownWindows(), (std::vector<std::string>{"FrmReport", "FrmReport"}));
}

TEST_F(ReportWindow, ResizeSizesGridAndBandAndSkipsAFailingStep) {
    Open([&](FrmReport& w) {
        w.Toolbar1.SetHeight(600);
        for (int width : {12000, 9000}) {
            grid.log.failWidth = width == 9000;
            const size_t from = grid.log.calls.size();
            w.SetSize(width, 8000);
            w.OnResize();
            std::vector<std::string> expected{"Width " + std::to_string(width), "Height " + std::to_string(8000 - 600 - FrmReport::kBandHeight)};
            if (grid.log.failWidth) expected.erase(expected.begin());
            EXPECT_EQ(CallsFrom(from), expected);
            EXPECT_EQ(w.Pic1.Width(), width);
        }
    });
    EXPECT_TRUE(tk->Messages().empty());
}

// The first load failing: the window never reaches the operator; a reload failing: it stays open.
TEST_F(ReportWindow, AFailingLoadIsReportedAndTheCallerGoesOn) {
    for (bool first : {true, false}) {
        SCOPED_TRACE(first);
        ui::ScopedHeadlessToolkit own;
        ScopedFakeGrid fake{&*own};
        fake.log.failRefresh = first;
        bool acted = false;
        own->OnShow("FrmReport", [&](ui::Window& w) {
            acted = true;
            fake.log.failRefresh = true;
            dynamic_cast<FrmReport&>(w).Toolbar1.Press("刷新");
            EXPECT_TRUE(w.IsShown());
        });
        report::OpenReportWindow("select 1", "SD分支机构调价单浏览", "分支机构调价单浏览", "2026-12-06", "2026-12-06");
        EXPECT_EQ(acted, !first);
        EXPECT_EQ(fake.log.destroyed, 1);
        ASSERT_EQ(own->Messages().size(), 1u);
        const ui::Message& m = own->Messages()[0].message;
        EXPECT_TRUE(m.text == "no such table: SubAdjuctPriceMX" && m.icon == ui::Icon::Information && m.title == "系统提示") << m.text;
        EXPECT_EQ(own->BusyDepth(), 0);
    }
}

TEST(ReportWindowWithoutGrid, AHostWithoutReportGridGetsTheMessageAndNoWindow) {
    ui::ScopedHeadlessToolkit tk;
    data::ComponentFactory::Unregister(data::ComponentName::ReportGrid);
    report::OpenReportWindow("select 1", "code", "name", "", "");
    EXPECT_TRUE(tk->ShownWindows().empty());
    ASSERT_EQ(tk->Messages().size(), 1u);
    EXPECT_EQ(tk->Messages()[0].message.text, "部件不能创建对象：ReportGrid");
}
