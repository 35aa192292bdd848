// The reprint component: the bills it lists and the print engine calls for those ticked or selected.
#include <QAbstractItemModelTester>
#include <QDateEdit>
#include <QItemSelectionModel>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

#include "ModalDriver.h"
#include "data/ComponentFactory.h"
#include "data/PrintEngine.h"
#include "data/ReprintComponent.h"
#include "host/QtReprintComponent.h"
#include "host/ReprintBillModel.h"
#include "host/ReprintDialog.h"
#include "support/TestDatabase.h"

namespace {

using host::ReprintBillModel;
using host::ReprintDialog;
using host_test::WhenModal;
using Texts = std::vector<std::string>;

// A print engine that writes down the calls it gets.
struct RecordingEngine : data::PrintEngine {
    static inline Texts calls;
    void SetCompany(const std::string& c) override { calls.push_back("company " + c); }
    void SetTable(int i, const std::string& n) override { calls.push_back("table " + std::to_string(i) + " [" + n + "]"); }
    void Print(int type, std::string& serials, bool& flag) override {
        calls.push_back("print " + std::to_string(type) + " " + serials + (flag ? " true" : " false"));
    }
    void SetConnection(db::Connection& c) override { calls.push_back(c.IsOpen() ? "connection open" : "connection closed"); }
    void SetFlag(int f) override { calls.push_back("flag " + std::to_string(f)); }
};

class ReprintTest : public ::testing::Test {
protected:
    void SetUp() override {
        host::RegisterReprint();
        data::ComponentFactory::Register(data::ComponentName::PrintEngine, [] { return std::make_unique<RecordingEngine>(); });
        RecordingEngine::calls.clear();
    }
    void TearDown() override { data::ComponentFactory::Unregister(data::ComponentName::PrintEngine); }

    std::unique_ptr<data::ReprintComponent> Component() {
        auto c = data::ComponentFactory::CreateAs<data::ReprintComponent>(data::ComponentName::Reprint);
        c->SetConnStr(t.ConnStr());
        c->SetSysDate(db::DateTime{2026, 12, 6});
        c->SetOptCode("0001");
        c->SetOptName("系统管理员");
        return c;
    }
    static Texts Listed(ReprintDialog* d) {
        Texts serials;
        for (const auto& r : d->Model()->Rows()) serials.push_back(r.serial);
        return serials;
    }
    size_t BillsFrom(const std::string& from) {
        return std::stoul(t.Scalar("select count(*) from SubAdjuctPrice where kdrq >= '" + from + "' and kdrq < '2026-12-07'"));
    }
    // Ticks a bill from the keyboard: its check cell made current, then Space.
    static void Tick(ReprintDialog* d, const std::string& serial) {
        const Texts serials = Listed(d);
        const int row = static_cast<int>(std::find(serials.begin(), serials.end(), serial) - serials.begin());
        d->Grid()->setCurrentIndex(d->Model()->index(row, ReprintBillModel::Check));
        QTest::keyClick(d->Grid(), Qt::Key_Space);
    }

    testing_support::TestDatabase t{true};
};

TEST_F(ReprintTest, ListsTheThirtyDaysEndingAtTheBusinessDateAndWithoutSeeAllOnlyTheOperatorsOwn) {
    const auto add = [&](const std::string& lsh, const std::string& day, const std::string& czry) {
        t.Exec("insert into SubAdjuctPrice (lsh,kdrq,czry,shbz,jzbz,dwbh) values ('" + lsh + "','" + day + "','" + czry + "',0,0,'001')");
    };
    add("LATE", "2026-12-06 18:30:00", "甲");  // late on the range's last day, and so in it
    // Serials of one day: by value, though the statement orders them as texts.
    for (const char* lsh : {"9100", "910", "99"}) add(std::string(lsh) + "0000", "2026-12-05", "甲");
    add("MINE", "2026-12-05", "O''Neil");
    const auto run = [&](const char* code, const char* name) {
        Texts listed;
        WhenModal<ReprintDialog>([&](ReprintDialog* d) {
            listed = Listed(d);
            const auto& rows = d->Model()->Rows();
            EXPECT_TRUE(std::is_sorted(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.billDate < b.billDate; }));
            EXPECT_EQ(d->FromBox()->date().toString(Qt::ISODate) + d->ToBox()->date().toString(Qt::ISODate), "2026-11-072026-12-06");
            QTest::mouseClick(d->CloseButton(), Qt::LeftButton);
        });
        auto c = Component();
        c->SetOptCode(code);
        c->SetOptName(name);
        c->Run(data::kReprintCode);
        return listed;
    };
    const Texts listed = run("0001", "系统管理员");
    EXPECT_EQ(listed.size(), BillsFrom("2026-11-07"));
    const auto at = [&](const char* serial) { return std::find(listed.begin(), listed.end(), serial) - listed.begin(); };
    EXPECT_LT(at("990000"), at("9100000"));
    EXPECT_LT(at("9100000"), at("91000000"));
    EXPECT_LT(at("LATE"), static_cast<long>(listed.size()));
    EXPECT_EQ(at("1"), static_cast<long>(listed.size())) << "bill 1 is older than 30 days";

    t.Exec("delete from t_OperatorRight where FOperator='0009'");
    EXPECT_EQ(run("0009", "O'Neil"), Texts{"MINE"});
    EXPECT_TRUE(RecordingEngine::calls.empty());
}

TEST_F(ReprintTest, NothingChosenOnlyTellsTheOperatorThenTheTickedBillsOrElseTheSelectedRowsPrint) {
    Texts listed;
    QString message;
    WhenModal<ReprintDialog>([&](ReprintDialog* d) {
        QAbstractItemModelTester tester(d->Model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
        WhenModal<QMessageBox>([&](QMessageBox* box) {
            message = box->text();
            box->accept();
        });
        QTest::mouseClick(d->PrintButton(), Qt::LeftButton);  // returns once the message is closed
        EXPECT_TRUE(RecordingEngine::calls.empty());
        d->FromBox()->setDate(QDate(2026, 10, 1));
        QTest::mouseClick(d->QueryButton(), Qt::LeftButton);
        listed = Listed(d);
        for (const char* serial : {"1", "3", "4", "4"}) Tick(d, serial);  // bill 1 is posted; 4 ticked and unticked
        QTest::mouseClick(d->PrintButton(), Qt::LeftButton);
        for (const char* serial : {"1", "3"}) Tick(d, serial);  // none ticked: the selected rows print
        d->Grid()->clearSelection();
        for (int row : {0, 2})
            d->Grid()->selectionModel()->select(d->Model()->index(row, 1), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QTest::mouseClick(d->PrintButton(), Qt::LeftButton);
        QTest::mouseClick(d->CloseButton(), Qt::LeftButton);
    });
    Component()->Run(data::kReprintCode);
    EXPECT_EQ(message, QStringLiteral("你没有选择任何需打印的单据！"));
    EXPECT_EQ(listed.size(), BillsFrom("2026-10-01"));
    ASSERT_EQ(RecordingEngine::calls.size(), 12u);
    EXPECT_EQ(Texts(RecordingEngine::calls.begin(), RecordingEngine::calls.begin() + 6),
              (Texts{"connection open", "company HQ-BRANCH-PRICE", "table 0 [ SubAdjuctPrice ]", "table 1 [ SubAdjuctPricemx ]",
                     "flag -1", "print 58 1|3 true"}));
    EXPECT_EQ(RecordingEngine::calls.back(), "print 58 " + listed[0] + "|" + listed[2] + " true");
}

TEST_F(ReprintTest, OtherRunCodesDoNothing) {
    host_test::UnexpectedModalGuard guard;
    auto c = Component();
    c->SetConnStr("Provider=SQLite;Data Source=/nonexistent/folder/x.db");
    EXPECT_NO_THROW(c->Run(26));  // not even the connection is opened
    EXPECT_EQ(guard.Seen(), 0);
    EXPECT_THROW(c->Run(data::kReprintCode), db::Error);
}

}  // namespace
