// A date entry for the windows' field order: Tab and Shift+Tab leave the field for the next or
// previous control, as in every other field, instead of stepping through year, month and day
// (the arrow keys and typing still reach every section).
#pragma once
#include <QDateEdit>
#include <QKeyEvent>

namespace ui::qt {

class DateEdit : public QDateEdit {
public:
    using QDateEdit::QDateEdit;

protected:
    bool focusNextPrevChild(bool next) override { return QWidget::focusNextPrevChild(next); }
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab) {
            QWidget::focusNextPrevChild(event->key() == Qt::Key_Tab && !(event->modifiers() & Qt::ShiftModifier));
            event->accept();
            return;
        }
        QDateEdit::keyPressEvent(event);
    }
};

}  // namespace ui::qt
