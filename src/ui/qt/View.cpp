#include "ui/qt/View.h"

#include <QApplication>
#include <QChildEvent>
#include <QKeyEvent>
#include <QResizeEvent>
#include <QTimer>
#include <algorithm>

#include "ui/Button.h"
#include "ui/Control.h"
#include "ui/Keys.h"
#include "ui/Toolkit.h"
#include "ui/Twips.h"
#include "ui/Window.h"
#include "ui/qt/KeyMap.h"
#include "ui/qt/SafeCall.h"
#include "ui/qt/WindowPlacement.h"

namespace ui::qt {

View::View(ui::Window& window, QWidget* parent) : QDialog(parent), window_(window) {
    setWindowTitle(QString::fromStdString(window_.Caption()));
    std::weak_ptr<int> alive = alive_;
    window_.SubscribeCaption([this, alive] {
        if (alive.lock()) setWindowTitle(QString::fromStdString(window_.Caption()));
    });
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { FocusChanged(now); });
    WindowPlacement::Keep(*this, QString::fromStdString(window_.Name()));
}

View::~View() {
    // Children are destroyed after this body, when this object is no longer a View: nothing of
    // the window may be reached from then on.
    disconnect(qApp, nullptr, this, nullptr);
    alive_.reset();
    window_.ClearCaptionObservers();
    for (auto& b : bindings_) b->BoundControl().ClearObservers();
}

void View::Register(std::unique_ptr<ControlBinding> binding) {
    ui::Control& control = binding->BoundControl();
    QWidget* widget = binding->Widget();
    widgets_[&control] = widget;
    controls_[widget] = &control;
    binding->Start();
    bindings_.push_back(std::move(binding));
}

QWidget* View::WidgetOf(const ui::Control& c) const {
    auto it = widgets_.find(&c);
    return it == widgets_.end() ? nullptr : it->second.data();
}

ui::Control* View::ControlOf(const QWidget* w) const {
    for (; w && w != this; w = w->parentWidget()) {
        auto it = controls_.find(w);
        if (it != controls_.end()) return it->second;
    }
    return nullptr;
}

void View::ApplyTabOrder() {
    std::vector<std::pair<int, QWidget*>> order;
    for (ui::Control* c : window_.Controls()) {
        QWidget* w = WidgetOf(*c);
        if (w && c->TabIndex() >= 0) order.emplace_back(c->TabIndex(), w);
    }
    std::stable_sort(order.begin(), order.end(), [](auto& a, auto& b) { return a.first < b.first; });
    for (size_t i = 1; i < order.size(); ++i) QWidget::setTabOrder(order[i - 1].second, order[i].second);
}

QSize View::DesignSize(QSize fallback) const {
    const int w = window_.DesignWidth(), h = window_.DesignHeight();
    return QSize(w > 0 ? w / kTwipsPerPixel : fallback.width(), h > 0 ? h / kTwipsPerPixel : fallback.height());
}

void View::Load() {
    window_.SetSize(width() * kTwipsPerPixel, height() * kTwipsPerPixel);
    ApplyTabOrder();
    // The first control in tab order has the focus when the window opens, unless the load
    // moves it elsewhere.
    if (ui::Control* first = window_.NextInTabOrder(false))
        if (QWidget* w = WidgetOf(*first)) w->setFocus(Qt::OtherFocusReason);
    WatchKeys(this);
    loaded_ = true;
    window_.OnLoad();
}

void View::Unload() {
    if (unloaded_) return;
    unloaded_ = true;
    window_.MarkShown(false);
    SafeCall([this] { window_.OnUnload(); });
    QDialog::done(QDialog::Rejected);
}

void View::reject() {
    if (loaded_ && !unloaded_) {
        bool leave = true;
        ui::CommandScope command;
        SafeCall([&] { leave = window_.OnQueryUnload(); });
        if (!leave) return;
    }
    Unload();
}

void View::MoveFocus(bool backwards) {
    if (ui::Control* next = window_.NextInTabOrder(backwards)) {
        if (QWidget* w = WidgetOf(*next)) {
            window_.NoteFocus(next);
            w->setFocus(backwards ? Qt::BacktabFocusReason : Qt::TabFocusReason);
            return;
        }
    }
    focusNextPrevChild(!backwards);
}

void View::WatchKeys(QObject* root) {
    root->installEventFilter(this);
    for (QObject* child : root->findChildren<QObject*>()) child->installEventFilter(this);
}

bool View::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::ChildAdded:
            // Widgets created later (popups, editors) are watched as well; keys of other windows
            // are told apart by their window below.
            WatchKeys(static_cast<QChildEvent*>(event)->child());
            break;
        case QEvent::KeyPress: {
            auto* w = qobject_cast<QWidget*>(watched);
            if (!w || w->window() != this) break;
            // A key goes to the focus widget first and then, unless taken, up through its
            // parents: it is previewed once, where it first arrives.
            QWidget* target = QApplication::focusWidget();
            if (!target || target->window() != this) target = this;
            if (w != target) break;
            return PreviewKey(static_cast<QKeyEvent*>(event));
        }
        default:
            break;
    }
    return QDialog::eventFilter(watched, event);
}

bool View::event(QEvent* event) {
    if (event->type() == QEvent::WindowUnblocked) {
        // A modal window over this one has closed. A window manager makes this one active
        // again; without one no window is, and the keys typed next would reach the fields
        // without the focus showing. Checked once the closed window's own events have run.
        QTimer::singleShot(0, this, [this] {
            if (unloaded_ || !isVisible() || QApplication::activeModalWidget() != this) return;
            QWidget* active = QApplication::activeWindow();
            if (!active || !active->isVisible()) activateWindow();
        });
    }
    return QDialog::event(event);
}

bool View::PreviewKey(QKeyEvent* event) {
    if (!loaded_ || unloaded_) return false;
    int key = KeyMap::HostKey(*event);
    // Tab moves the focus as the host does; windows never see it as a key.
    if (key == ui::Key::None || key == ui::Key::Tab) return false;
    int shift = KeyMap::HostShift(event->modifiers());
    ui::CommandScope command;  // the window's handler and the field's are one command
    SafeCall([&] { window_.OnKeyDown(key, shift); });
    if (unloaded_ || key == ui::Key::None) return true;
    if (ui::Control* c = ControlOf(QApplication::focusWidget())) {
        SafeCall([&] { c->RaiseKeyDown(key, shift); });
        if (unloaded_ || key == ui::Key::None) return true;
    }
    return false;
}

void View::keyPressEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Escape || event->modifiers() != Qt::NoModifier) {
        QDialog::keyPressEvent(event);
        return;
    }
    // Esc presses the window's cancel button, if it has one; a window without one stays open.
    event->accept();
    for (ui::Control* c : window_.Controls()) {
        auto* b = dynamic_cast<ui::Button*>(c);
        if (b && b->IsCancel() && b->Enabled() && b->Visible()) {
            SafeCall([b] { b->Click(); });
            return;
        }
    }
}

void View::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    window_.SetSize(width() * kTwipsPerPixel, height() * kTwipsPerPixel);
    if (!loaded_ || unloaded_) return;
    BeforeResize();
    SafeCall([this] { window_.OnResize(); });
}

void View::FocusChanged(QWidget* now) {
    if (!now || now->window() != this || unloaded_) return;
    if (ui::Control* c = ControlOf(now)) {
        window_.NoteFocus(c);
        SafeCall([c] { c->RaiseGotFocus(); });
    }
}

}  // namespace ui::qt
