// Helpers of the widget tests: Qt Test suites run by one main, acting on a modal window from
// inside its own event loop, and the Qt toolkit installed for a test's duration.
#pragma once
#include <QApplication>
#include <QTest>
#include <functional>
#include <string>
#include <vector>

#include "ui/Toolkit.h"
#include "ui/qt/QtToolkit.h"
#include "ui/qt/View.h"

namespace QTest {
template <>
inline char* toString(const std::string& s) {
    return QTest::toString(QString::fromStdString(s));
}
template <>
inline char* toString(const std::vector<std::string>& v) {
    QStringList l;
    for (auto& s : v) l << QString::fromStdString(s);
    return QTest::toString(l.join(QStringLiteral(" | ")));
}
}  // namespace QTest

namespace uitest {

bool AddSuite(std::function<int(int argc, char** argv)> suite);
int RunSuites(int argc, char** argv);

// Runs `action` from the event loop once the innermost modal widget is active and `accept`
// approves it. A failed check, or no such window within 20 s (sanitizer builds on a loaded machine are slow), closes every window so that the
// test cannot hang.
void WhenModal(std::function<bool(QWidget*)> accept, std::function<void(QWidget*)> action);

template <typename V>
void WhenShown(std::function<void(V&)> action) {
    WhenModal([](QWidget* w) { return qobject_cast<V*>(w) != nullptr; },
              [action](QWidget* w) { action(*qobject_cast<V*>(w)); });
}

// A key as the keyboard sends it: to the widget that has the focus.
void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

// Records the text of every message box shown while it lives, and closes the box, so that a
// test can check that an action shows none without hanging in the box when it does.
class MessageWatch {
public:
    MessageWatch();
    ~MessageWatch();
    MessageWatch(const MessageWatch&) = delete;
    MessageWatch& operator=(const MessageWatch&) = delete;
    const QStringList& Texts() const { return texts_; }

private:
    QStringList texts_;
    QObject* timer_;
};

class ScopedQtToolkit {
public:
    ScopedQtToolkit() : previous_(ui::HasToolkit() ? &ui::CurrentToolkit() : nullptr) { ui::InstallToolkit(&tk_); }
    ~ScopedQtToolkit() { ui::InstallToolkit(previous_); }
    ScopedQtToolkit(const ScopedQtToolkit&) = delete;
    ScopedQtToolkit& operator=(const ScopedQtToolkit&) = delete;
    ui::qt::QtToolkit* operator->() { return &tk_; }

private:
    ui::qt::QtToolkit tk_;
    ui::Toolkit* previous_;
};

}  // namespace uitest
