// Keeps one widget in step with one control state, both ways: the state's changes are shown on
// the widget, the operator's input on the widget is reported to the state. This base handles what
// every control has (enabled, visible, tooltip); a binding per control kind adds the rest.
#pragma once
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <memory>

namespace ui {
class Control;
}

namespace ui::qt {

class ControlBinding : public QObject {
public:
    ControlBinding(ui::Control& control, QWidget* widget);
    ~ControlBinding() override;
    ControlBinding(const ControlBinding&) = delete;
    ControlBinding& operator=(const ControlBinding&) = delete;

    ui::Control& BoundControl() const { return control_; }
    QWidget* Widget() const { return widget_; }

    // Subscribes to the state and shows it; the view calls this once the binding is built.
    void Start();
    // Shows the whole state on the widget. Widget signals raised meanwhile are not reported back.
    void Refresh();

protected:
    // Copies the state to the widget; overrides call the base first.
    virtual void Apply();
    // True while Refresh writes to the widget: input handlers ignore the signals it causes.
    bool Applying() const { return applying_; }

private:
    ui::Control& control_;
    QPointer<QWidget> widget_;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
    bool applying_ = false;
};

}  // namespace ui::qt
