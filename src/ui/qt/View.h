// Base of the Qt dialogs that show window logic. A view owns the bindings between the window's
// control states and its widgets and turns Qt's events into the window's: load and unload (the
// toolkit drives them), key preview (every key reaches Window::OnKeyDown and then the focused
// control's key handler before the widget), focus, resize and the close box. When a modal window
// over it closes and no window is active (no window manager), it makes itself active again.
#pragma once
#include <QDialog>
#include <map>
#include <memory>
#include <vector>

#include "ui/qt/ControlBinding.h"

namespace ui {
class Control;
class Window;
}  // namespace ui

namespace ui::qt {

class View : public QDialog {
    Q_OBJECT
public:
    View(ui::Window& window, QWidget* parent);
    ~View() override;

    ui::Window& LogicWindow() const { return window_; }

    // Raises the window's load with the bindings in place and the view not yet visible.
    void Load();
    // Unloads the window once: it is marked not shown, its OnUnload runs, and the dialog closes
    // so that a running exec() returns. Later calls do nothing.
    void Unload();
    bool Unloaded() const { return unloaded_; }

    // The widget bound to a control of this window, or null.
    QWidget* WidgetOf(const ui::Control& c) const;
    // The control bound to `w` or to its nearest bound ancestor inside this view, or null.
    ui::Control* ControlOf(const QWidget* w) const;
    // Moves the focus to the next (previous) control in the window's tab order.
    void MoveFocus(bool backwards);

    // Every way of closing the dialog (close box, reject) unloads the window, once the window's
    // logic agrees.
    void reject() override;

protected:
    // Keeps a binding; its widget becomes the control's widget for focus and key routing.
    template <typename B>
    B& Adopt(std::unique_ptr<B> binding) {
        B& ref = *binding;
        Register(std::move(binding));
        return ref;
    }
    // Orders Qt's tab chain by the controls' TabIndex (controls without one keep Qt's order).
    void ApplyTabOrder();
    // The window's design size in pixels; a dimension the logic leaves at 0 is the fallback's.
    QSize DesignSize(QSize fallback) const;
    // Called before the window's OnResize so that a view can store sizes the logic reads.
    virtual void BeforeResize() {}

    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Register(std::unique_ptr<ControlBinding> binding);
    void WatchKeys(QObject* root);
    bool PreviewKey(QKeyEvent* event);
    void FocusChanged(QWidget* now);

    ui::Window& window_;
    std::vector<std::unique_ptr<ControlBinding>> bindings_;
    std::map<const ui::Control*, QPointer<QWidget>> widgets_;
    std::map<const QWidget*, ui::Control*> controls_;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
    bool loaded_ = false;
    bool unloaded_ = false;
};

}  // namespace ui::qt
