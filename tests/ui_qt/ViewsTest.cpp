// The module's windows bound to their logic: state, keys and mouse reaching the widgets and back.
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QStandardPaths>
#include <fstream>

#include "UiTestSupport.h"
#include "bill/FrmAdjuctPrice.h"
#include "bill/FrmBulkChange.h"
#include "bill/FrmImportLines.h"
#include "bill/FrmShelfLabels.h"
#include "browser/FrmBrowser.h"
#include "data/HostContext.h"
#include "entry/FrmSub.h"
#include "support/ScratchDir.h"
#include "ui/Keys.h"
#include "ui/qt/MenuBarBinding.h"
#include "ui/qt/StatusBarBinding.h"
#include "ui/qt/ToolbarBinding.h"
#include "ui/qt/WindowPlacement.h"
#include "views/FormView.h"
#include "views/FrmAdjuctPriceView.h"
#include "views/FrmBrowserView.h"
#include "views/FrmBulkChangeView.h"
#include "views/FrmImportLinesView.h"
#include "views/FrmShelfLabelsView.h"
#include "views/FrmSubView.h"

using namespace std::string_literals;
using uitest::Press;
using uitest::WhenShown;
using views::FrmBrowserView;
using views::FrmSubView;

namespace {

QString Cell(QAbstractItemView* v, int row, int col) { return v->model()->index(row, col).data().toString(); }
bool HasFocus(QWidget* w) { return QApplication::focusWidget() == w; }
template <typename W = QWidget>
W* Find(views::FormView& v, const char* name) {
    auto* w = qobject_cast<W*>(v.Widget(name));
    EXPECT_TRUE(w) << name;
    return w;
}

class Views : public uitest::WindowTest {
protected:
    Views() {
        t.Grant("0001", "查看所有用户");
        t.Exec(
            "insert into yw_kck (hh,pm,gg,cd,pdw,pm_zjm,FDeleted) values ('B2','香蕉','1kg','海南','把','xj',0),"
            "('X','鸭梨','1kg','河北','个','yl',0)");
        t.StoreBill({.lsh = "1", .shbz = 1, .lines = {{"A1", 4, 5}}, .kdrq = "2026-10-05"});
        t.StoreBill({.lsh = "2", .shbz = 1, .lines = {{"A1", 5, 5.5}}, .kdrq = "2026-11-20"});
        t.StoreBill({.lsh = "3", .lines = {{"A1", 5.5, 5.55}, {"B2", 4, 4}, {"X", 3, 3.33}}});
    }
    // The editor's logic over bill `lsh` of branch 001, for the tool windows that take it.
    void Editor(bill::FrmAdjuctPrice& editor, const char* lsh) {
        editor.TxtLSH.SetText(lsh);
        editor.TxtDwbh.SetText("001");
    }
};

}  // namespace

TEST_F(Views, KeysReachTheLogicThenTheControlThenTheWidget) {
    entry::FrmSub w;
    std::vector<int> keys;  // what OptSub's own key handler saw
    w.OptSub.onKeyDown = [&](int& key, int) {
        keys.push_back(key);
        if (key == ui::Key::Space) key = 0;
    };
    bool browserShown = false;
    WhenShown<FrmSubView>([&](FrmSubView& sub) {
        Press(Qt::Key_Down);  // passed on: the radio moves to the other option
        EXPECT_TRUE(w.OptSubSort.Value() && !w.OptSub.Value());
        Press(Qt::Key_Up);
        EXPECT_TRUE(HasFocus(sub.OptSub()) && w.OptSub.Value() && !w.OptSubSort.Value());
        w.OptSubSort.SetValue(true);  // the logic's choice shows, the other option cleared
        EXPECT_TRUE(sub.OptSubSort()->isChecked() && !sub.OptSub()->isChecked());
        Press(Qt::Key_Space);  // taken by the control's handler: the radio never sees it
        EXPECT_FALSE(sub.OptSub()->isChecked());
        w.SetFocus(w.CmdCancel);
        EXPECT_TRUE(HasFocus(sub.CmdCancel()) && w.Focused() == &w.CmdCancel);
        w.SendTab();  // posted; wraps round to the first in tab order
        EXPECT_SOON(HasFocus(sub.OptSub()));
        WhenShown<FrmBrowserView>([&](FrmBrowserView& browser) {
            browserShown = true;
            EXPECT_TRUE(browser.parentWidget() == &sub && sub.isVisible());
            Press(Qt::Key_Escape);
        });
        Press(Qt::Key_Return);  // nothing: an option has no use for Enter
        EXPECT_FALSE(browserShown);
        Press(Qt::Key_Tab);
        Press(Qt::Key_Return);  // the focused button, OK
    });
    w.ShowModal();
    EXPECT_EQ(keys, (std::vector<int>{ui::Key::Down, ui::Key::Space, ui::Key::Enter}));
    EXPECT_TRUE(browserShown && !w.IsShown());  // the dialog unloads after the browser
    EXPECT_EQ(data::Host().BranchMode, data::ByBranchType);
}

TEST_F(Views, TheBrowsersGridBarsKeysAndMouseReachTheLogic) {
    browser::FrmBrowser w;
    int doubleClicks = 0;
    w.Vs.onDblClick = [&] { ++doubleClicks; };
    WhenShown<FrmBrowserView>([&](FrmBrowserView& v) {
        EXPECT_EQ(Cell(v.Grid(), 0, 1), QString::fromStdString(w.Vs.TextMatrix(1, 1)));
        Press(Qt::Key_Down);
        EXPECT_EQ(v.StatusBound().PanelLabel(2)->text(), QString::fromStdString(w.StatusBar.Panel(2)));
        EXPECT_EQ(w.rsMain.AbsolutePosition(), 2L);
        Press(Qt::Key_Space);
        v.ToolbarBound().ActionOf("选择")->trigger();  // inverts every mark, shown at once
        EXPECT_EQ(Cell(v.Grid(), 0, 0) + "|" + Cell(v.Grid(), 1, 0), QStringLiteral("√|"));

        QHeaderView* header = v.Grid()->horizontalHeader();
        auto pressHeading = [&](Qt::MouseButton b) {
            QTest::mouseClick(header->viewport(), b, {}, QPoint(header->sectionViewportPosition(1) + 5, header->height() / 2));
        };
        pressHeading(Qt::LeftButton);  // the left button does not sort
        EXPECT_EQ(w.rsMain.SortSpec(), "流水号 ASC"s);
        pressHeading(Qt::RightButton);
        EXPECT_EQ(w.rsMain.SortSpec(), "流水号 DESC"s);
        EXPECT_EQ(v.Grid()->currentIndex().row(), int(w.rsMain.AbsolutePosition()) - 1);

        const QPoint cell = v.Grid()->visualRect(v.Grid()->model()->index(0, 2)).center();
        QTest::mouseDClick(v.Grid()->viewport(), Qt::LeftButton, {}, cell);
        EXPECT_TRUE(doubleClicks == 1 && w.rsMain.AbsolutePosition() == 1);

        v.resize(1000, 700);  // the logic hears the size in twips, the toolbar's height first
        EXPECT_TRUE(w.Width() == 1000 * 15 && w.Height() == 700 * 15 && w.Toolbar.Height() == v.ToolBar()->height() * 15);
        v.MenuBound().ActionOf("mnuExit")->trigger();
    });
    w.ShowModal();
    EXPECT_TRUE(!w.IsShown() && !w.rsMain.IsOpen());
}

TEST_F(Views, TheShelfLabelsCheckBoxIsBoundBothWays) {
    bill::LabelBill type;
    type.serial = "8";
    type.toBranchType = true;
    type.branches = {{"001", "一分店"}, {"0031", "三一店"}};
    type.labels.resize(3);
    bill::FrmShelfLabels w({type});
    WhenShown<views::FrmShelfLabelsView>([&](views::FrmShelfLabelsView& v) {
        auto* each = Find<QCheckBox>(v, "ChkEachBranch");
        ASSERT_TRUE(each && each->isEnabled() && !each->isChecked());
        QTest::mouseClick(each, Qt::LeftButton, {}, QPoint(5, each->height() / 2));
        EXPECT_TRUE(w.ChkEachBranch.Value() && Find(v, "LabSummary")->property("text").toString() == QStringLiteral("共2套，6张价签"));
        w.ChkEachBranch.SetValue(false);
        EXPECT_FALSE(each->isChecked());
        Press(Qt::Key_Escape);
    });
    w.ShowModal();
}

TEST_F(Views, TheBulkChangeTakesTypedValuesMarksAndAsksBeforeWriting) {
    bill::FrmAdjuctPrice editor;
    Editor(editor, "3");
    WhenShown<views::FrmBulkChangeView>([&](views::FrmBulkChangeView& v) {
        auto* value = Find<QDoubleSpinBox>(v, "TxtValue");
        ASSERT_TRUE(value && value->hasFocus());
        value->selectAll();
        QTest::keyClicks(value, "10");
        QTest::mouseClick(Find<QPushButton>(v, "CmdPreview"), Qt::LeftButton);
        EXPECT_EQ(Cell(v.Lines(), 0, 6), QStringLiteral("6.11"));

        v.Lines()->setFocus();
        v.Lines()->selectRow(1);
        Press(Qt::Key_Space);  // marks the line and narrows the change to the marked lines
        EXPECT_SOON(Cell(v.Lines(), 1, 0) == QStringLiteral("√") && Find<QRadioButton>(v, "OptMarked")->isChecked());

        auto* ending = Find<QComboBox>(v, "CboEnding");
        ending->setFocus();
        QTest::keyClick(ending, Qt::Key_Down);
        QTest::keyClick(ending, Qt::Key_Down);  // 以.99结尾
        EXPECT_EQ(Cell(v.Lines(), 1, 6), QStringLiteral("3.99"));

        WhenShown<QMessageBox>([](QMessageBox& box) {
            EXPECT_EQ(box.text(), QStringLiteral("确实要调整这1行明细的新售价吗?"));
            box.button(QMessageBox::Yes)->click();
        });
        QTest::mouseClick(Find<QPushButton>(v, "CmdApply"), Qt::LeftButton);
    });
    bill::FrmBulkChange::Run(editor);
    EXPECT_EQ(t.Joined("select sj2 from SubAdjuctPricemx where lsh='3' order by dh"), "5.55 3.99 3.33");
}

TEST_F(Views, TheImportsFileDialogOpensInTheLastFolderUsed) {
    testing_support::ScratchDir dir("spb-import-dir");
    const QString folder = QString::fromStdString(dir.Path().string());
    const std::string file = dir / "价格表.csv";
    std::ofstream(file, std::ios::binary) << "货号,新售价\nA1,6\n";
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());  // the dialog used to open here
    QFile::remove(ui::qt::WindowPlacement::SettingsFile());
    bill::FrmAdjuctPrice editor;
    Editor(editor, "3");
    QStringList opened;
    for (int run = 0; run < 2; ++run) {
        WhenShown<views::FrmImportLinesView>([&](views::FrmImportLinesView& v) {
            WhenShown<QFileDialog>([&](QFileDialog& d) {
                opened << d.directory().absolutePath();
                EXPECT_EQ(d.locale().language(), QLocale::Chinese);
                d.setDirectory(folder);
                if (run == 1) return d.reject();
                d.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(QStringLiteral("价格表.csv"));
                static_cast<QDialog&>(d).accept();
            });
            QTest::mouseClick(Find<QPushButton>(v, "CmdBrowse"), Qt::LeftButton);
            if (run == 0) {
                EXPECT_EQ(v.Widget("TxtFile")->property("text").toString(), QString::fromStdString(file));
            }
            v.Widget("TxtFile")->setProperty("text", QString());  // the next opening has no file named
            Press(Qt::Key_Escape);
        });
        bill::FrmImportLines::Run(editor);
    }
    std::filesystem::current_path(cwd);
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    EXPECT_EQ(opened, (QStringList{QFileInfo(documents).isDir() ? documents : QDir::homePath(), folder}));
}
