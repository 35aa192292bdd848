// The editor's tool windows on the screen: "价格" from the editor's toolbar opens the price
// history with its chart; the totals, closed by Enter on the focused button; the bulk change with its options, marks, preview and the
// question before it writes, and its price ending chosen from the list; the import from a typed file
// name to the lines written; the categories found by a typed text and added.
#include <QChart>
#include <QComboBox>
#include <QDateTimeAxis>
#include <QLineSeries>
#include <QCheckBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QScreen>
#include <QStandardPaths>
#include <QTreeView>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "UiTestSupport.h"
#include "bill/EditorState.h"
#include "bill/FrmAddByCategory.h"
#include "bill/FrmAdjuctPrice.h"
#include "bill/FrmBillTotals.h"
#include "bill/FrmBulkChange.h"
#include "bill/FrmImportLines.h"
#include "bill/FrmShelfLabels.h"
#include "data/HostContext.h"
#include "data/SystemSettings.h"
#include "support/TestDatabase.h"
#include "ui/qt/ToolbarBinding.h"
#include "ui/qt/WindowPlacement.h"
#include "views/FrmAddByCategoryView.h"
#include "views/FrmAdjuctPriceView.h"
#include "views/FrmBillTotalsView.h"
#include "views/FrmBulkChangeView.h"
#include "views/FrmImportLinesView.h"
#include "views/FrmPriceHistoryView.h"
#include "views/FrmShelfLabelsView.h"
#include "views/StandardViews.h"

using namespace std::string_literals;

namespace {

QString Cell(QAbstractItemView* v, int row, int col) { return v->model()->index(row, col).data().toString(); }

// Answers the next message box with `button` once it shows `text`.
void Answer(const QString& text, QMessageBox::StandardButton button) {
    uitest::WhenShown<QMessageBox>([=](QMessageBox& box) {
        QCOMPARE(box.text(), text);
        box.button(button)->click();
    });
}

}  // namespace

class BillToolViewsTest : public QObject {
    Q_OBJECT
    std::unique_ptr<testing_support::TestDatabase> t;
    std::unique_ptr<uitest::ScopedQtToolkit> tk;

    void Bill(const std::string& lsh, int shbz, const std::string& kdrq, const std::string& lines) {
        t->Exec("insert into SubAdjuctPrice (lsh,kdrq,bz,czry,shbz,shry,jzbz,dwbh,bz5) values ('" + lsh + "','" + kdrq +
                "','','张三'," + std::to_string(shbz) + ",'李四',0,'001','')");
        t->Exec("insert into SubAdjuctPricemx (lsh,dh,hh,pm,sj1,sj2) values " + lines);
    }

private slots:
    void initTestCase() { views::RegisterStandardViews(); }
    void init() {
        t = std::make_unique<testing_support::TestDatabase>();
        t->OpenHostConnection("0001", "系统管理员");
        for (auto r : {"修改", "审核"}) t->Grant("0001", r);
        t->Exec("insert into gl_custom (tjbh,mc,zjm) values ('001','一分店','yfd')");
        t->Exec("insert into yw_kck (hh,pm,gg,cd,pdw,pm_zjm,FDeleted) values ('A1','苹果','500g','烟台','袋','pg',0),"
                "('B2','香蕉','1kg','海南','把','xj',0),('X','鸭梨','1kg','河北','个','yl',0)");
        t->Exec("insert into glprice (HH,DWBH,SJ,ZK,SELLPRICE) values ('A1','001',0,0,5.5),('B2','001',0,0,4)");
        Bill("1", 1, "2026-10-05", "('1','100','A1','p',4,5)");
        Bill("2", 1, "2026-11-20", "('2','100','A1','p',5,5.5)");
        Bill("3", 0, "2026-12-01", "('3','100','A1','苹果',5.5,5.55),('3','200','B2','香蕉',4,4),('3','300','X','鸭梨',3,3.33)");
        data::Host().BranchMode = data::ByBranch;
        data::Host().SysDate = {2026, 12, 6};
        data::Settings().jjbl = 2;
        bill::Shared() = {};
        tk = std::make_unique<uitest::ScopedQtToolkit>();
    }
    void cleanup() {
        tk.reset();
        bill::Shared() = {};
        t.reset();
    }

    void priceHistoryFromTheEditorsToolbar() {
        auto& shared = bill::Shared();
        shared.CurrentLsh = "3";
        shared.EditorInstance = std::make_shared<bill::FrmAdjuctPrice>();
        auto editor = shared.EditorInstance;
        bool seen = false;
        uitest::WhenShown<views::FrmAdjuctPriceView>([&](views::FrmAdjuctPriceView& v) {
            for (const char* key : {"批量", "导入", "类别", "合计", "价格"}) {
                QAction* a = v.ToolbarBound().ActionOf(key);
                QVERIFY2(a && a->isVisible(), key);
            }
            editor->TxtHH.SetText("A1");
            uitest::WhenShown<views::FrmPriceHistoryView>([&](views::FrmPriceHistoryView& h) {
                seen = true;
                QCOMPARE(h.windowTitle(), QStringLiteral("历史价格"));
                auto* audited = qobject_cast<QAbstractItemView*>(h.Widget("VfgAudited"));
                QVERIFY(audited);
                QCOMPARE(audited->model()->rowCount(), 2);
                QCOMPARE(Cell(audited, 0, 3), QStringLiteral("2"));
                QCOMPARE(audited->accessibleName(), QStringLiteral("已审核的调价单"));
                QCOMPARE(h.Widget("LabCurrent")->property("text").toString(), QStringLiteral("当前售价: 5.50"));
                QVERIFY(!h.Widget("LabNothing")->isVisible());
                QChart* chart = h.Chart()->chart();
                QCOMPARE(h.Chart()->accessibleName(), QStringLiteral("售价走势"));
                QCOMPARE(chart->series().size(), 1);
                auto* line = qobject_cast<QLineSeries*>(chart->series().front());
                QVERIFY(line);
                QCOMPARE(line->count(), 5);
                QCOMPARE(line->at(3).y(), 5.5);
                QCOMPARE(chart->axes(Qt::Horizontal).size(), 1);
                QVERIFY(qobject_cast<QDateTimeAxis*>(chart->axes(Qt::Horizontal).front()));
                uitest::Press(Qt::Key_Escape);
            });
            v.ToolbarBound().ActionOf("价格")->trigger();
            QVERIFY(seen);
            editor->TxtHH.SetText("");  // nothing left unsaved: Esc closes without a question
            uitest::Press(Qt::Key_Escape);
        });
        editor->ShowModal();
        QVERIFY(seen);
    }

    void totalsNameEachFigure() {
        bill::FrmBillTotals w("3");
        uitest::WhenShown<views::FrmBillTotalsView>([&](views::FrmBillTotalsView& v) {
            QCOMPARE(v.windowTitle(), QStringLiteral("单据合计"));
            QWidget* oldSum = v.Widget("LabOldSum");
            QCOMPARE(oldSum->property("text").toString(), QStringLiteral("12.50"));
            QCOMPARE(oldSum->accessibleName(), QStringLiteral("原售价合计"));
            QCOMPARE(v.Widget("LabNewSum")->property("text").toString(), QStringLiteral("12.88"));
            auto* close = qobject_cast<QPushButton*>(v.Widget("CmdClose"));
            QCOMPARE(close->accessibleName(), QStringLiteral("关闭"));
            QVERIFY(close->hasFocus() && !close->isDefault() && !close->autoDefault());
            uitest::Press(Qt::Key_Return);  // the focused button
        });
        w.ShowModal();
        QVERIFY(!w.IsShown());
    }

    void shelfLabelsBindTheCheckBoxBothWays() {
        bill::LabelBill type;
        type.serial = "8";
        type.toBranchType = true;
        type.branches = {{"001", "一分店"}, {"0031", "三一店"}};
        type.labels.resize(3);
        bill::FrmShelfLabels w({type});
        uitest::WhenShown<views::FrmShelfLabelsView>([&](views::FrmShelfLabelsView& v) {
            auto* each = qobject_cast<QCheckBox*>(v.Widget("ChkEachBranch"));
            QVERIFY(each && each->isEnabled() && !each->isChecked());
            QCOMPARE(each->text(), QStringLiteral("按类型中的每个分支机构各打一套"));
            QCOMPARE(each->accessibleName(), each->text());
            QTest::mouseClick(each, Qt::LeftButton, {}, QPoint(5, each->height() / 2));
            QVERIFY(w.ChkEachBranch.Value());
            QCOMPARE(v.Widget("LabSummary")->property("text").toString(), QStringLiteral("共2套，6张价签"));
            w.ChkEachBranch.SetValue(false);
            QVERIFY(!each->isChecked());
            auto* sheets = qobject_cast<QLabel*>(v.Widget("Label1"));
            QCOMPARE(sheets->buddy(), v.Widget("OptA4")->parentWidget());
            QCOMPARE(qobject_cast<QPushButton*>(v.Widget("CmdPdf"))->accessibleName(), QStringLiteral("保存为PDF"));
            uitest::Press(Qt::Key_Escape);
        });
        w.ShowModal();
        QVERIFY(!w.IsShown());
    }

    void bulkChangePreviewsMarksAndAsksBeforeWriting() {
        bill::FrmAdjuctPrice editor;
        editor.TxtLSH.SetText("3");
        uitest::WhenShown<views::FrmBulkChangeView>([&](views::FrmBulkChangeView& v) {
            QCOMPARE(v.windowTitle(), QStringLiteral("批量修改新售价"));
            auto* value = qobject_cast<QDoubleSpinBox*>(v.Widget("TxtValue"));
            QCOMPARE(value->accessibleName(), QStringLiteral("调整值"));
            QVERIFY(value->hasFocus());
            value->selectAll();
            QTest::keyClicks(value, "10");
            QTest::mouseClick(qobject_cast<QPushButton*>(v.Widget("CmdPreview")), Qt::LeftButton);
            QCOMPARE(Cell(v.Lines(), 0, 6), QStringLiteral("6.11"));
            QCOMPARE(Cell(v.Lines(), 2, 6), QStringLiteral("3.66"));

            // Space marks the current line and narrows the change to the marked lines.
            v.Lines()->setFocus();
            {
                uitest::MessageWatch watch;  // Enter in the grid presses no button (执行 would ask)
                uitest::Press(Qt::Key_Return);
                QTest::qWait(50);
                QCOMPARE(watch.Texts(), QStringList());
            }
            v.Lines()->selectRow(1);
            uitest::Press(Qt::Key_Space);
            QTRY_COMPARE(Cell(v.Lines(), 1, 0), QStringLiteral("√"));
            QVERIFY(qobject_cast<QRadioButton*>(v.Widget("OptMarked"))->isChecked());
            QCOMPARE(Cell(v.Lines(), 0, 6), QString());
            QCOMPARE(Cell(v.Lines(), 1, 6), QStringLiteral("4.40"));

            Answer(QStringLiteral("确实要调整这1行明细的新售价吗?"), QMessageBox::Yes);
            QTest::mouseClick(qobject_cast<QPushButton*>(v.Widget("CmdApply")), Qt::LeftButton);
        });
        bill::FrmBulkChange::Run(editor);
        QCOMPARE(t->Joined("select sj2 from SubAdjuctPricemx where lsh='3' order by dh"),
                 "5.55 4.4 3.33"s);
        QCOMPARE(editor.VfgContent.TextMatrix(2, 5), "4.40"s);  // the price decimals
    }

    void bulkChangeEndingIsChosenFromTheList() {
        bill::FrmAdjuctPrice editor;
        editor.TxtLSH.SetText("3");
        uitest::WhenShown<views::FrmBulkChangeView>([&](views::FrmBulkChangeView& v) {
            auto* ending = qobject_cast<QComboBox*>(v.Widget("CboEnding"));
            QVERIFY(ending);
            QCOMPARE(ending->accessibleName(), QStringLiteral("尾数"));
            QCOMPARE(qobject_cast<QLabel*>(v.Widget("Label5"))->buddy(), ending);
            QCOMPARE(ending->count(), 5);
            QVERIFY(!ending->toolTip().isEmpty());
            ending->setFocus();
            QTest::keyClick(ending, Qt::Key_Down);  // 以.9结尾
            QTest::keyClick(ending, Qt::Key_Down);  // 以.99结尾
            QCOMPARE(Cell(v.Lines(), 0, 6), QStringLiteral("5.99"));  // 5.55
            QCOMPARE(Cell(v.Lines(), 2, 6), QStringLiteral("2.99"));  // 3.33
            uitest::Press(Qt::Key_Escape);
        });
        bill::FrmBulkChange::Run(editor);
        QCOMPARE(t->Joined("select sj2 from SubAdjuctPricemx where lsh='3' order by dh"), "5.55 4 3.33"s);
    }

    void categoriesFoundByATypedTextAndAdded() {
        t->Exec("insert into kclb (id,name) values ('01','水果'),('02','饮料')");
        t->Exec("insert into yw_kck (hh,pm,gg,cd,pdw,lb,pm_zjm,FDeleted) values ('C1','可乐','330ml','上海','罐','02','kl',0)");
        t->Exec("update yw_kck set lb='01' where hh<>'C1'");
        bill::FrmAdjuctPrice editor;
        editor.TxtLSH.SetText("3");
        editor.TxtDwbh.SetText("001");
        uitest::WhenShown<views::FrmAddByCategoryView>([&](views::FrmAddByCategoryView& v) {
            QCOMPARE(v.windowTitle(), QStringLiteral("按类别添加明细"));
            QWidget* find = v.Widget("TxtFind");
            QCOMPARE(find->accessibleName(), QStringLiteral("查找"));
            QVERIFY(find->hasFocus());
            QTest::keyClicks(find, "02");
            QCOMPARE(v.Categories()->model()->rowCount(), 1);
            QCOMPARE(Cell(v.Categories(), 0, 2), QStringLiteral("饮料"));
            uitest::Press(Qt::Key_Return);  // on to the list
            QVERIFY(v.Categories()->hasFocus());
            uitest::Press(Qt::Key_Space);
            QTRY_COMPARE(Cell(v.Categories(), 0, 0), QStringLiteral("√"));
            Answer(QStringLiteral("已添加1行明细。"), QMessageBox::Ok);
            QTest::mouseClick(qobject_cast<QPushButton*>(v.Widget("CmdOK")), Qt::LeftButton);
        });
        bill::FrmAddByCategory::Run(editor);
        QCOMPARE(t->Joined("select dh,hh,sj1,sj2 from SubAdjuctPricemx where lsh='3' order by dh"),
                 "100 A1 5.5 5.55 200 B2 4 4 300 X 3 3.33 400 C1 0 0"s);
    }

    void importFromATypedFileName() {
        const auto path = std::filesystem::temp_directory_path() / ("spb-import-" + std::to_string(::getpid()) + ".csv");
        std::ofstream(path, std::ios::binary) << "货号,新售价\nA1,6\nZZ,1\n";
        bill::FrmAdjuctPrice editor;
        editor.TxtLSH.SetText("1");  // an audited bill is refused before the window opens
        editor.TxtDwbh.SetText("001");
        t->Exec("insert into SubAdjuctPrice (lsh,kdrq,bz,czry,shbz,shry,jzbz,dwbh,bz5) values ('9','2026-12-01','','张三',0,'',0,'001','')");
        Answer(QStringLiteral("此单据已审核，不能修改!"), QMessageBox::Ok);
        bill::FrmImportLines::Run(editor);

        editor.TxtLSH.SetText("9");
        bill::FrmImportLines* logic = nullptr;
        uitest::WhenShown<views::FrmImportLinesView>([&](views::FrmImportLinesView& v) {
            logic = &static_cast<bill::FrmImportLines&>(v.LogicWindow());
            QVERIFY(logic->AskFileName);
            QCOMPARE(v.Widget("TxtFile")->accessibleName(), QStringLiteral("文件"));
            QVERIFY(!v.Widget("CmdImport")->isEnabled());
            v.Widget("TxtFile")->setFocus();
            QTest::keyClicks(v.Widget("TxtFile"), QString::fromStdString(path.string()));
            uitest::Press(Qt::Key_Return);  // Enter reads the file
            QTRY_COMPARE(v.Rows()->model()->rowCount(), 2);
            QCOMPARE(Cell(v.Rows(), 1, 6), QStringLiteral("商品不存在"));
            QVERIFY(v.Widget("CmdImport")->isEnabled() && v.Widget("CmdSaveRefused")->isEnabled());
            Answer(QStringLiteral("已导入1行，拒绝1行。"), QMessageBox::Ok);
            QTest::mouseClick(qobject_cast<QPushButton*>(v.Widget("CmdImport")), Qt::LeftButton);
            QCOMPARE(Cell(v.Rows(), 0, 6), QStringLiteral("已导入"));
            uitest::Press(Qt::Key_Escape);
        });
        bill::FrmImportLines::Run(editor);
        std::filesystem::remove(path);
        QVERIFY(logic);
        QCOMPARE(t->Scalar("select dh||hh||sj2 from SubAdjuctPricemx where lsh='9'"), "100A16"s);
    }

    // The file dialog of 导入: Qt's own, in Chinese, wide enough for its columns; it opens in the
    // documents folder (never the working directory) and then where the last file was taken from.
    void importFileDialogOpensInTheLastFolderUsed() {
        namespace fs = std::filesystem;
        const fs::path folder = fs::temp_directory_path() / ("spb-import-dir-" + std::to_string(::getpid()));
        fs::create_directories(folder);
        const fs::path file = folder / "价格表.csv";
        std::ofstream(file, std::ios::binary) << "货号,新售价\nA1,6\n";
        const fs::path cwd = fs::current_path();
        fs::current_path(folder);  // the dialog used to open here
        QFile::remove(ui::qt::WindowPlacement::SettingsFile());
        t->Exec("insert into SubAdjuctPrice (lsh,kdrq,bz,czry,shbz,shry,jzbz,dwbh,bz5) values ('9','2026-12-01','','张三',0,'',0,'001','')");
        bill::FrmAdjuctPrice editor;
        editor.TxtLSH.SetText("9");
        editor.TxtDwbh.SetText("001");
        QStringList opened;
        for (int run = 0; run < 2; ++run) {
            uitest::WhenShown<views::FrmImportLinesView>([&](views::FrmImportLinesView& v) {
                uitest::WhenShown<QFileDialog>([&](QFileDialog& d) {
                    opened << d.directory().absolutePath();
                    QVERIFY(d.testOption(QFileDialog::DontUseNativeDialog));
                    QCOMPARE(d.locale().language(), QLocale::Chinese);
                    QVERIFY(d.screen()->availableGeometry().contains(d.geometry()));
                    QVERIFY(d.width() >= 700);
                    d.setDirectory(QString::fromStdString(folder.string()));
                    auto* list = d.findChild<QTreeView*>(QStringLiteral("treeView"));
                    QVERIFY(list);
                    d.setViewMode(QFileDialog::Detail);
                    QTRY_VERIFY(list->model()->rowCount(list->rootIndex()) >= 1);
                    const QModelIndex first = list->model()->index(0, 3, list->rootIndex());
                    QCOMPARE(first.data().toString(),  // 2026-12-06 14:05, not 12/6/26 2:05 PM
                             QFileInfo(QString::fromStdString(file.string())).lastModified().toString(QStringLiteral("yyyy-MM-dd HH:mm")));
                    QCOMPARE(list->model()->index(0, 2, list->rootIndex()).data().toString(), QStringLiteral("CSV 文件"));
                    for (int c = 1; c < 4; ++c)  // size, type and date are not cut
                        QVERIFY2(list->header()->sectionSize(c) >= static_cast<QAbstractItemView*>(list)->sizeHintForColumn(c), qPrintable(QString::number(c)));
                    if (run == 0) {
                        auto* name = d.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                        QVERIFY(name);
                        name->setText(QStringLiteral("价格表.csv"));
                        static_cast<QDialog&>(d).accept();
                    } else {
                        d.reject();
                    }
                });
                QTest::mouseClick(qobject_cast<QPushButton*>(v.Widget("CmdBrowse")), Qt::LeftButton);
                if (run == 0) QCOMPARE(v.Widget("TxtFile")->property("text").toString(), QString::fromStdString(file.string()));
                v.Widget("TxtFile")->setProperty("text", QString());  // the next opening has no file named
                uitest::Press(Qt::Key_Escape);
            });
            bill::FrmImportLines::Run(editor);
        }
        fs::current_path(cwd);
        fs::remove_all(folder);
        QCOMPARE(opened.size(), 2);
        QVERIFY(opened[0] != QString::fromStdString(folder.string()));
        const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        QCOMPARE(opened[0], QFileInfo(documents).isDir() ? documents : QDir::homePath());
        QCOMPARE(opened[1], QString::fromStdString(folder.string()));
    }
};

static const bool registered = uitest::AddSuite([](int argc, char** argv) {
    BillToolViewsTest t;
    return QTest::qExec(&t, argc, argv);
});

#include "BillToolViewsTest.moc"
