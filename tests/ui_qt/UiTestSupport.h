// Helpers of the widget tests: modal windows acted on from their own event loop, keys, message boxes.
#pragma once
#include <gtest/gtest.h>
#include <QApplication>
#include <QTest>
#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "support/TestDatabase.h"
#include "ui/Toolkit.h"
#include "ui/qt/QtToolkit.h"
#include "ui/qt/View.h"

namespace bill {
class FrmAdjuctPrice;
}
namespace views {
class FrmAdjuctPriceView;
}

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

// A condition that comes true once the event loop has run (a posted focus change, a timer).
#define EXPECT_SOON(condition) EXPECT_TRUE(QTest::qWaitFor([&] { return bool(condition); }, 5000)) << #condition

namespace uitest {

// Runs `action` once the innermost modal widget is active and `accept` approves it. A failure, or
// no such window within 20 s, closes every window so that the test cannot hang.
void WhenModal(std::function<bool(QWidget*)> accept, std::function<void(QWidget*)> action);

template <typename V>
void WhenShown(std::function<void(V&)> action) {
    WhenModal([](QWidget* w) { return qobject_cast<V*>(w) != nullptr; }, [action](QWidget* w) { action(*qobject_cast<V*>(w)); });
}

// A key as the keyboard sends it: to the widget that has the focus.
void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

// Records the text of every message box shown while it lives, and closes the box.
class MessageWatch {
public:
    MessageWatch();
    ~MessageWatch();
    MessageWatch(const MessageWatch&) = delete;
    MessageWatch& operator=(const MessageWatch&) = delete;
    const QStringList& Texts() const { return texts_; }

private:
    QStringList texts_;
    std::unique_ptr<QObject> timer_;
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

// A host database with branch 001 and item A1 (5.5 there), the operator allowed to change bills,
// the standard views and the Qt toolkit.
class WindowTest : public ::testing::Test {
protected:
    WindowTest();
    ~WindowTest() override;
    // Runs `act` on the editor over bill `lsh` (a new bill when empty), then unloads it.
    void OpenEditor(const std::string& lsh, std::function<void(views::FrmAdjuctPriceView&, bill::FrmAdjuctPrice&)> act);

    testing_support::TestDatabase t;
    ScopedQtToolkit tk;
};

}  // namespace uitest
