// The branch-mode dialog and the bill browser on the screen, over a host database: layout, tab
// order and keys of the dialog; the list, status, marks, sort, toolbar, menus and resize of the
// browser; OK, pressed by Enter once it has the focus, opening the browser over the dialog.
#include <QHeaderView>
#include <QLabel>

#include "UiTestSupport.h"
#include "browser/FrmBrowser.h"
#include "entry/FrmSub.h"
#include "data/HostContext.h"
#include "support/TestDatabase.h"
#include "ui/Keys.h"
#include "views/FrmBrowserView.h"
#include "views/FrmSubView.h"
#include "ui/qt/MenuBarBinding.h"
#include "views/StandardViews.h"
#include "ui/qt/StatusBarBinding.h"
#include "ui/qt/ToolbarBinding.h"

using views::FrmBrowserView;
using views::FrmSubView;
using namespace std::string_literals;

namespace {

QString Cell(FrmBrowserView& v, int row, int col) { return v.Grid()->model()->index(row, col).data().toString(); }
QString Panel(FrmBrowserView& v, int i) { return v.StatusBound().PanelLabel(i)->text(); }
bool HasFocus(QWidget* w) { return QApplication::focusWidget() == w; }

}  // namespace

class ViewsTest : public QObject {
    Q_OBJECT
    std::unique_ptr<testing_support::TestDatabase> t;
    std::unique_ptr<uitest::ScopedQtToolkit> tk;

private slots:
    void initTestCase() { views::RegisterStandardViews(); }
    void init() {
        t = std::make_unique<testing_support::TestDatabase>();
        t->OpenHostConnection("0001", "系统管理员");
        t->Grant("0001", "查看所有用户");
        auto bill = [&](const char* lsh, const char* bz5) {
            t->Exec(std::string("insert into SubAdjuctPrice (lsh,kdrq,bz,czry,jzbz,bz5) values ('") + lsh +
                    "','2026-12-01','备注','系统管理员',0,'" + bz5 + "')");
        };
        for (const char* lsh : {"B1", "B2", "B3", "B4"}) bill(lsh, "");
        bill("T1", "1");  // a bill for a branch type
        data::Host().BranchMode = data::ByBranch;
        tk = std::make_unique<uitest::ScopedQtToolkit>();
    }
    void cleanup() {
        tk.reset();
        t.reset();
    }

    void dialogLayoutAndTabOrder() {
        entry::FrmSub w;
        uitest::WhenShown<FrmSubView>([&](FrmSubView& v) {
            QCOMPARE(v.windowTitle(), QStringLiteral("分支机构选择"));
            QCOMPARE(v.OptSub()->text() + v.OptSubSort()->text(), QStringLiteral("分支机构分支机构类型"));
            QCOMPARE(v.CmdOK()->text() + v.CmdCancel()->text(), QStringLiteral("确定取消"));
            QVERIFY(v.OptSub()->isChecked() && !v.OptSubSort()->isChecked());
            QVERIFY(!v.CmdOK()->isDefault() && !v.CmdOK()->autoDefault() && !v.CmdCancel()->autoDefault());
            QCOMPARE(v.Frame1()->frameShape(), QFrame::HLine);
            QCOMPARE(v.minimumSize(), v.maximumSize());
            auto top = [&v](QWidget* c) { return c->mapTo(&v, QPoint()).y(); };
            QVERIFY(top(v.OptSubSort()) < top(v.Frame1()) && top(v.Frame1()) < top(v.CmdOK()));
            QVERIFY(v.OptSub()->nextInFocusChain() == v.OptSubSort());
            // Tab visits only the chosen option of the group, as the host's dialogs do.
            QVERIFY(HasFocus(v.OptSub()));
            for (QWidget* next : {static_cast<QWidget*>(v.CmdOK()), static_cast<QWidget*>(v.CmdCancel()),
                                  static_cast<QWidget*>(v.OptSub())}) {
                uitest::Press(Qt::Key_Tab);
                QVERIFY(HasFocus(next));
            }
            v.close();
        });
        data::Host().BranchMode = data::ByBranchType;
        w.ShowModal();
        QVERIFY(!w.IsShown());
        QCOMPARE(data::Host().BranchMode, data::ByBranchType);  // the close box changes nothing
    }

    void dialogKeysReachLogicThenControlThenWidget() {
        entry::FrmSub w;
        std::vector<std::string> keys;  // what OptSub's own key handler saw
        w.OptSub.onKeyDown = [&](int& key, int) {
            keys.push_back(std::to_string(key));
            if (key == ui::Key::Space) key = 0;
        };
        uitest::WhenShown<FrmSubView>([&](FrmSubView& v) {
            uitest::Press(Qt::Key_Down);  // passed on: the radio moves to the other option
            QVERIFY(v.OptSubSort()->isChecked() && !v.OptSub()->isChecked());
            QVERIFY(w.OptSubSort.Value() && !w.OptSub.Value());
            uitest::Press(Qt::Key_Up);
            QVERIFY(HasFocus(v.OptSub()) && w.OptSub.Value() && !w.OptSubSort.Value());
            w.OptSubSort.SetValue(true);  // the logic's choice shows, the other option cleared
            QVERIFY(v.OptSubSort()->isChecked() && !v.OptSub()->isChecked());
            uitest::Press(Qt::Key_Space);  // taken by the control's handler: the radio never sees it
            QVERIFY(!v.OptSub()->isChecked());
            w.SetFocus(w.CmdCancel);
            QVERIFY(HasFocus(v.CmdCancel()) && w.Focused() == &w.CmdCancel);
            w.SendTab();  // posted; wraps round to the first in tab order
            QVERIFY(HasFocus(v.CmdCancel()));
            QTRY_VERIFY(HasFocus(v.OptSub()));
            uitest::Press(Qt::Key_Escape);  // the window takes it and cancels
        });
        w.ShowModal();
        QCOMPARE(keys, (std::vector<std::string>{"40", "32"}));
        QVERIFY(!w.IsShown());
        QCOMPARE(data::Host().BranchMode, data::ByBranch);
    }

    void okOpensTheBrowserOverTheDialog() {
        entry::FrmSub w;
        bool browserShown = false;
        uitest::WhenShown<FrmSubView>([&](FrmSubView& sub) {
            uitest::Press(Qt::Key_Down);
            uitest::WhenShown<FrmBrowserView>([&](FrmBrowserView& browser) {
                browserShown = true;
                QVERIFY(browser.parentWidget() == &sub && sub.isVisible());
                QCOMPARE(data::Host().BranchMode, data::ByBranchType);
                QCOMPARE(browser.Grid()->model()->rowCount(), 1);
                QCOMPARE(Cell(browser, 0, 1), QStringLiteral("T1"));
                uitest::Press(Qt::Key_Escape);
            });
            uitest::Press(Qt::Key_Return);  // nothing: an option has no use for Enter
            QVERIFY(!browserShown && HasFocus(sub.OptSubSort()));
            uitest::Press(Qt::Key_Tab);
            QVERIFY(HasFocus(sub.CmdOK()));
            uitest::Press(Qt::Key_Return);  // the focused button
        });
        w.ShowModal();
        QVERIFY(browserShown && !w.IsShown());  // the dialog unloads after the browser
    }

    void browserShowsListStatusAndCommands() {
        browser::FrmBrowser w;
        uitest::WhenShown<FrmBrowserView>([&](FrmBrowserView& v) {
            QCOMPARE(v.windowTitle(), QStringLiteral("分支机构调价单--浏览"));
            QVERIFY(v.windowFlags() & Qt::WindowMaximizeButtonHint);
            auto* model = v.Grid()->model();
            QCOMPARE(model->rowCount(), 4);
            QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("   "));
            QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("流水号"));
            QCOMPARE(Cell(v, 0, 1), QStringLiteral("B1"));
            QCOMPARE(v.Grid()->currentIndex().row(), 0);
            QVERIFY(HasFocus(v.Grid()));
            QCOMPARE(Panel(v, 1), QStringLiteral("分支机构调价单"));
            QCOMPARE(Panel(v, 2), QStringLiteral("总记录:4:当前记录: 1"));

            auto& tb = v.ToolbarBound();
            QCOMPARE(tb.ActionOf("删除")->toolTip(), QStringLiteral("删除当前记录"));
            for (const char* hidden : {"编码", "存量", "审核", "过账"}) QVERIFY(!tb.ActionOf(hidden));
            QStringList tops;
            for (QAction* a : v.MenuBar()->actions()) tops << a->text();
            QCOMPARE(tops, (QStringList{"文件(&F)", "查看(&V)", "帮助(&H)"}));
            QVERIFY(v.MenuBound().ActionOf("mnuLine1")->isSeparator());

            tb.ActionOf("选择")->trigger();  // inverts every mark
            for (int r = 0; r < 4; ++r) QCOMPARE(Cell(v, r, 0), QStringLiteral("√"));
            uitest::Press(Qt::Key_Space);  // toggles the current row's
            QCOMPARE(Cell(v, 0, 0) + "|" + Cell(v, 1, 0), QStringLiteral("|√"));

            v.resize(1000, 700);  // the logic hears the size in twips, the toolbar's height first
            QVERIFY(w.Width() == 1000 * 15 && w.Height() == 700 * 15);
            QCOMPARE(w.Toolbar.Height(), v.ToolBar()->height() * 15);
            v.MenuBound().ActionOf("mnuExit")->trigger();
        });
        w.ShowModal();
        QVERIFY(!w.IsShown() && !w.rsMain.IsOpen());
    }

    void browserKeysAndMouseReachTheLogic() {
        browser::FrmBrowser w;
        int doubleClicks = 0;
        w.Vs.onDblClick = [&] { ++doubleClicks; };
        uitest::WhenShown<FrmBrowserView>([&](FrmBrowserView& v) {
            uitest::Press(Qt::Key_Down);
            QCOMPARE(Panel(v, 2), QStringLiteral("总记录:4:当前记录: 2"));
            uitest::Press(Qt::Key_Space);
            QCOMPARE(w.Vs.TextMatrix(2, 0), std::string(browser::kMark));

            QHeaderView* header = v.Grid()->horizontalHeader();
            auto pressHeading = [&](int col, Qt::MouseButton b) {
                const QPoint at(header->sectionViewportPosition(col) + 5, header->height() / 2);
                QTest::mouseClick(header->viewport(), b, Qt::NoModifier, at);
            };
            pressHeading(1, Qt::LeftButton);  // the left button does not sort
            QCOMPARE(w.rsMain.SortSpec(), "流水号 ASC"s);  // the list's own order: serials by value
            pressHeading(1, Qt::RightButton);
            QCOMPARE(w.rsMain.SortSpec() + " " + w.Vs.ColTag(0), "流水号 DESC DESC"s);
            QCOMPARE(Cell(v, 0, 1), QStringLiteral("B4"));
            QCOMPARE(Cell(v, 2, 1) + Cell(v, 2, 0), QStringLiteral("B2√"));  // the mark kept its bill
            QCOMPARE(v.Grid()->currentIndex().row(), int(w.rsMain.AbsolutePosition()) - 1);
            pressHeading(1, Qt::RightButton);
            QCOMPARE(w.rsMain.SortSpec(), "流水号 ASC"s);

            const QPoint cell = v.Grid()->visualRect(v.Grid()->model()->index(3, 2)).center();
            QTest::mouseDClick(v.Grid()->viewport(), Qt::LeftButton, Qt::NoModifier, cell);
            QCOMPARE(doubleClicks, 1);
            QCOMPARE(w.rsMain.AbsolutePosition(), 4L);
            uitest::Press(Qt::Key_Escape);
        });
        w.ShowModal();
        QVERIFY(!w.IsShown() && !w.rsMain.IsOpen());
    }
};

static const bool registered = uitest::AddSuite([](int argc, char** argv) {
    ViewsTest t;
    return QTest::qExec(&t, argc, argv);
});

#include "ViewsTest.moc"
