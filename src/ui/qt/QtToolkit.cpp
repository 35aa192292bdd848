#include "ui/qt/QtToolkit.h"

#include <QApplication>
#include <QCursor>
#include <QMessageBox>
#include <QPushButton>
#include <QPointer>
#include <QTimer>
#include <algorithm>
#include <stdexcept>

#include "ui/Control.h"
#include "ui/Window.h"
#include "ui/qt/Application.h"
#include "ui/qt/SafeCall.h"
#include "ui/qt/View.h"
#include "ui/qt/ViewRegistry.h"
#include "ui/qt/WindowPlacement.h"

namespace ui::qt {
namespace {

QMessageBox::Icon BoxIcon(ui::Icon icon) {
    switch (icon) {
        case ui::Icon::Critical: return QMessageBox::Critical;
        case ui::Icon::Question: return QMessageBox::Question;
        case ui::Icon::Exclamation: return QMessageBox::Warning;
        case ui::Icon::Information: return QMessageBox::Information;
        case ui::Icon::None: break;
    }
    return QMessageBox::NoIcon;
}

// Gives the keyboard back to the window a message box was shown over, when no window is active
// after the box closed. A window manager does that by itself; without one (a bare X server, a
// kiosk) keys typed next reached the window's widgets while the window did not know its focus:
// Enter in a field pressed the default button instead of the field's own Enter.
void ReturnTo(const QPointer<QWidget>& owner) {
    if (!owner || !owner->isVisible() || QApplication::activeWindow()) return;
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || modal == owner->window()) owner->activateWindow();
}

}  // namespace

ui::Answer QtToolkit::ShowMessage(const ui::Message& m) {
    EnsureApplication();
    QWidget* owner = QApplication::activeWindow();
    for (auto it = open_.rbegin(); it != open_.rend(); ++it) {
        if ((*it)->isVisible()) {
            owner = *it;
            break;
        }
    }
    QMessageBox box(BoxIcon(m.icon), QString::fromStdString(m.title), QString::fromStdString(m.text),
                    QMessageBox::NoButton, owner);
    QAbstractButton* yes = nullptr;
    if (m.buttons == ui::Buttons::YesNo) {
        yes = box.addButton(QMessageBox::Yes);
        box.setEscapeButton(box.addButton(QMessageBox::No));
        box.setDefaultButton(m.defaultButton == ui::DefaultButton::Second ? QMessageBox::No : QMessageBox::Yes);
    } else {
        box.setDefaultButton(box.addButton(QMessageBox::Ok));
    }
    // A busy pointer does not stay over a question put to the operator.
    const bool arrow = busyDepth_ > 0;
    if (arrow) QApplication::setOverrideCursor(Qt::ArrowCursor);
    QPointer<QWidget> back(owner);
    box.exec();
    if (arrow) QApplication::restoreOverrideCursor();
    ReturnTo(back);
    if (m.buttons == ui::Buttons::Ok) return ui::Answer::Ok;
    return box.clickedButton() == yes ? ui::Answer::Yes : ui::Answer::No;
}

void QtToolkit::SetBusy(bool busy) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return;
    if (busy) {
        ++busyDepth_;
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (busyDepth_ > 0) {
        --busyDepth_;
        QApplication::restoreOverrideCursor();
    }
}

void QtToolkit::ShowModal(ui::Window& w) {
    EnsureApplication();
    if (w.IsShown()) throw std::logic_error("window " + w.Name() + " is already shown");
    QWidget* owner = open_.empty() ? QApplication::activeWindow() : open_.back();
    std::unique_ptr<View> view = ViewRegistry::Instance().Build(w, owner);

    struct OpenEntry {
        std::vector<View*>& open;
        explicit OpenEntry(std::vector<View*>& o, View* v) : open(o) { open.push_back(v); }
        ~OpenEntry() { open.pop_back(); }
        OpenEntry(const OpenEntry&) = delete;
        OpenEntry& operator=(const OpenEntry&) = delete;
    } entry(open_, view.get());

    w.MarkShown(true);
    try {
        view->Load();
    } catch (...) {
        view->Unload();
        throw;
    }
    if (!view->Unloaded()) view->exec();
    // exec() also ends when the application quits: the window is unloaded all the same.
    view->Unload();
}

void QtToolkit::Unload(ui::Window& w) {
    if (!w.IsShown()) return;
    if (View* v = ViewOf(w)) {
        v->Unload();
        return;
    }
    w.MarkShown(false);
    w.OnUnload();
}

void QtToolkit::SetFocus(ui::Window& w, ui::Control& c) {
    w.NoteFocus(&c);
    View* v = ViewOf(w);
    if (QWidget* widget = v ? v->WidgetOf(c) : nullptr) widget->setFocus(Qt::OtherFocusReason);
}

void QtToolkit::PostTab(ui::Window& w, bool backwards) {
    View* v = ViewOf(w);
    if (!v) return;
    QPointer<View> target(v);
    QTimer::singleShot(0, v, [target, backwards] {
        if (target && !target->Unloaded()) target->MoveFocus(backwards);
    });
}

void QtToolkit::StartTimer(int ms, std::function<void()> fn) {
    EnsureApplication();
    QTimer::singleShot(std::max(ms, 0), qApp, [fn = std::move(fn)] { SafeCall(fn); });
}

void QtToolkit::ProcessEvents() {
    if (QCoreApplication::instance()) QCoreApplication::processEvents();
}

std::string QtToolkit::Preference(const std::string& key) {
    return WindowPlacement::Choice(QString::fromStdString(key)).toStdString();
}

void QtToolkit::SetPreference(const std::string& key, const std::string& value) {
    WindowPlacement::SaveChoice(QString::fromStdString(key), QString::fromStdString(value));
}

View* QtToolkit::ViewOf(const ui::Window& w) const {
    for (auto it = open_.rbegin(); it != open_.rend(); ++it)
        if (&(*it)->LogicWindow() == &w) return *it;
    return nullptr;
}

void InstallQtToolkitIfNone() {
    static QtToolkit toolkit;
    if (ui::HasToolkit()) return;
    EnsureApplication();
    ui::InstallToolkit(&toolkit);
}

}  // namespace ui::qt
