#include "ui/qt/ButtonBinding.h"

#include <QKeyEvent>

#include "ui/qt/SafeCall.h"

namespace ui::qt {

ButtonBinding::ButtonBinding(ui::Button& button, QPushButton* push) : ControlBinding(button, push), button_(button), push_(push) {
    push->setAutoDefault(false);
    push->setDefault(false);
    push->installEventFilter(this);
    connect(push, &QPushButton::clicked, this, [this] { SafeCall([this] { button_.Click(); }); });
}

void ButtonBinding::Apply() {
    ControlBinding::Apply();
    push_->setText(QString::fromStdString(button_.Caption()));
}

bool ButtonBinding::eventFilter(QObject* watched, QEvent* event) {
    // Keys reach a button only when it is its window's focus widget. The window's key handlers
    // have seen the key before this filter (the view's filter comes first); what they leave of
    // Enter presses the button, once per press.
    if (watched == push_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (enter && !(key->modifiers() & ~Qt::KeypadModifier)) {
            if (!key->isAutoRepeat() && push_->isEnabled()) push_->click();
            return true;
        }
    }
    return ControlBinding::eventFilter(watched, event);
}

}  // namespace ui::qt
