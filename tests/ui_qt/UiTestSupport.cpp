#include "UiTestSupport.h"

#include <QElapsedTimer>
#include <QMessageBox>
#include <QTimer>
#include <memory>

namespace uitest {
namespace {

std::vector<std::function<int(int, char**)>>& Suites() {
    static std::vector<std::function<int(int, char**)>> suites;
    return suites;
}

void CloseEverything() {
    while (QWidget* w = QApplication::activeModalWidget()) {
        if (auto* v = qobject_cast<ui::qt::View*>(w)) v->Unload();
        else w->close();
        QCoreApplication::processEvents();
        if (QApplication::activeModalWidget() == w) break;
    }
}

}  // namespace

bool AddSuite(std::function<int(int, char**)> suite) {
    Suites().push_back(std::move(suite));
    return true;
}

int RunSuites(int argc, char** argv) {
    int failed = 0;
    for (auto& s : Suites()) failed += s(argc, argv);
    return failed;
}

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
        if (found) {
            // Keys go where the focus is: wait for the window to have it (qWaitForWindowActive
            // can answer early for a dialog over an active owner).
            w->activateWindow();
            if (QTest::qWaitFor([w] { return QApplication::activeWindow() == w; }, 2000)) {
                // The window's own start-up comes before the first key, as it does for an operator:
                // a window may set its first focus from a timer started while it loaded, and on a
                // busy machine that timer is still pending when the window turns active.
                QTest::qWait(20);
                if (w->isVisible()) action(w);
                else QTest::qFail("the window closed while starting", __FILE__, __LINE__);
            } else {
                QTest::qFail("window did not become active", __FILE__, __LINE__);
            }
        } else {
            QTest::qFail("the expected window was not shown", __FILE__, __LINE__);
        }
        if (QTest::currentTestFailed()) CloseEverything();
    });
    timer->start(10);
}

MessageWatch::MessageWatch() : timer_(new QTimer(qApp)) {
    auto* timer = static_cast<QTimer*>(timer_);
    QObject::connect(timer, &QTimer::timeout, timer, [this] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            texts_ << box->text();
            box->reject();
        }
    });
    timer->start(10);
}

MessageWatch::~MessageWatch() { delete timer_; }

void Press(Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QWidget* target = QApplication::focusWidget();
    QTest::keyClick(target ? target : QApplication::activeModalWidget(), key, modifiers);
}

}  // namespace uitest
