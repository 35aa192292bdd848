#include "UiTestSupport.h"

#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "bill/EditorState.h"
#include "bill/FrmAdjuctPrice.h"
#include "data/HostContext.h"
#include "data/SystemSettings.h"
#include "views/FrmAdjuctPriceView.h"
#include "views/StandardViews.h"

namespace uitest {
namespace {

void CloseEverything() {
    while (QWidget* w = QApplication::activeModalWidget()) {
        if (auto* v = qobject_cast<ui::qt::View*>(w))
            v->Unload();
        else
            w->close();
        QCoreApplication::processEvents();
        if (QApplication::activeModalWidget() == w) break;
    }
}

}  // namespace

void WhenModal(std::function<bool(QWidget*)> accept, std::function<void(QWidget*)> action) {
    auto* timer = new QTimer(qApp);
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    QObject::connect(timer, &QTimer::timeout, timer, [=] {
        QWidget* w = QApplication::activeModalWidget();
        const bool found = w && w->isVisible() && accept(w);
        if (!found && clock->elapsed() < 20000) return;
        timer->stop();
        timer->deleteLater();
        if (!found) {
            ADD_FAILURE() << "the expected window was not shown";
        } else {
            // Keys go where the focus is (qWaitForWindowActive can answer early for a dialog).
            w->activateWindow();
            if (!QTest::qWaitFor([w] { return QApplication::activeWindow() == w; }, 2000)) {
                ADD_FAILURE() << "the window did not become active";
            } else {
                // A window may set its first focus from a timer started while it loaded.
                QTest::qWait(20);
                if (w->isVisible())
                    action(w);
                else
                    ADD_FAILURE() << "the window closed while starting";
            }
        }
        if (::testing::Test::HasFailure()) CloseEverything();
    });
    timer->start(10);
}

MessageWatch::MessageWatch() : timer_(std::make_unique<QTimer>()) {
    auto* timer = static_cast<QTimer*>(timer_.get());
    QObject::connect(timer, &QTimer::timeout, timer, [this] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            texts_ << box->text();
            box->reject();
        }
    });
    timer->start(10);
}

MessageWatch::~MessageWatch() = default;

void Press(Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QWidget* target = QApplication::focusWidget();
    QTest::keyClick(target ? target : QApplication::activeModalWidget(), key, modifiers);
}

WindowTest::WindowTest() {
    views::RegisterStandardViews();
    t.OpenHostConnection("0001", "系统管理员");
    t.Grant("0001", "修改");
    t.Exec("insert into gl_custom (tjbh,mc,zjm) values ('001','一分店','yfd')");
    t.Exec("insert into yw_kck (hh,pm,gg,cd,pdw,pm_zjm,FDeleted) values ('A1','苹果','500g','烟台','袋','pg',0)");
    t.Exec("insert into glprice (HH,DWBH,SJ,ZK,SELLPRICE) values ('A1','001',0,0,5.5)");
    data::Host().BranchMode = data::ByBranch;
    data::Host().SysDate = {2026, 12, 6};
    data::Settings().jjbl = 2;
    bill::Shared() = {};
}

WindowTest::~WindowTest() { bill::Shared() = {}; }

void WindowTest::OpenEditor(const std::string& lsh, std::function<void(views::FrmAdjuctPriceView&, bill::FrmAdjuctPrice&)> act) {
    auto& shared = bill::Shared();
    shared.CurrentLsh = lsh;
    shared.IsNewBill = lsh.empty();
    shared.EditorInstance = std::make_shared<bill::FrmAdjuctPrice>();
    auto editor = shared.EditorInstance;
    WhenShown<views::FrmAdjuctPriceView>([&](views::FrmAdjuctPriceView& v) {
        act(v, *editor);
        v.Unload();
    });
    editor->ShowModal();
}

}  // namespace uitest
