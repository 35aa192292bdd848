#include "ui/qt/DateEdit.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <algorithm>
#include <utility>

namespace ui::qt {
namespace {

bool IsDigit(QChar c) { return c >= u'0' && c <= u'9'; }
bool IsSeparator(QChar c) { return c == u'-' || c == u'/' || c == u'.'; }

// Keys that edit or move inside the field by other means than typing: they end a typed entry.
bool EndsEntry(int key) {
    switch (key) {
        case Qt::Key_Backspace:
        case Qt::Key_Delete:
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Home:
        case Qt::Key_End:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            return true;
        default:
            return false;
    }
}

}  // namespace

DateEdit::DateEdit(QWidget* parent) : QDateEdit(parent) {
    setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    lineEdit()->installEventFilter(this);
}

void DateEdit::ShowDate(QDate d) {
    if (d == date()) return;  // re-shown unchanged: the selection and an entry in progress stay
    entry_ = {};
    setDate(d);
}

bool DateEdit::Split(const QString& typed, int first, QString (&parts)[3], int& next) const {
    const int count = std::min(sectionCount(), 3);
    auto width = [this](int s) { return sectionAt(s) == YearSection ? 4 : 2; };
    int s = first;
    for (QChar c : typed) {
        if (IsDigit(c)) {
            if (parts[s].size() == width(s)) {
                if (s + 1 >= count) return false;
                ++s;
            }
            parts[s] += c;
        } else if (!parts[s].isEmpty()) {
            // A separator after an empty part (a second one, or one after a full part that
            // already moved on) is passed over.
            if (s + 1 >= count) return false;
            ++s;
        }
    }
    next = parts[s].size() == width(s) && s + 1 < count ? s + 1 : s;
    return true;
}

void DateEdit::Select(int section) {
    if (section < 0 || section >= sectionCount()) return;
    setCurrentSectionIndex(section);
    setSelectedSection(sectionAt(section));
}

void DateEdit::Type(QKeyEvent* event, QChar c) {
    event->accept();
    if (entry_.typed.isEmpty()) entry_ = {QString(), std::max(currentSectionIndex(), 0), date()};
    QString before[3], after[3];
    int at = entry_.firstSection, next = at;
    Split(entry_.typed, entry_.firstSection, before, at);
    if (!Split(entry_.typed + c, entry_.firstSection, after, next)) return;  // beyond the day
    entry_.typed += c;
    if (IsSeparator(c)) {
        Select(next);
        return;
    }
    // A digit that starts a part replaces what the section shows.
    if (before[at].isEmpty()) Select(at);
    QDateEdit::keyPressEvent(event);
    const int last = std::min(sectionCount(), 3) - 1;
    if (after[last].size() == 2) Finish(false);
}

void DateEdit::Finish(bool leaving) {
    const Entry e = std::exchange(entry_, Entry{});
    if (e.typed.isEmpty() || e.firstSection != 0 || sectionCount() != 3) return;
    QString parts[3];
    int next = 0;
    if (!Split(e.typed, 0, parts, next)) return;
    const bool whole = parts[0].size() == 4 && !parts[1].isEmpty() && (parts[2].size() == 2 || (leaving && !parts[2].isEmpty()));
    if (!whole) return;  // a part typed over: the section's own value stands
    int value[3] = {};
    for (int s = 0; s < 3; ++s) {
        switch (sectionAt(s)) {
            case YearSection: value[0] = parts[s].toInt(); break;
            case MonthSection: value[1] = parts[s].toInt(); break;
            default: value[2] = parts[s].toInt(); break;
        }
    }
    const QDate typed(value[0], value[1], value[2]);
    if (typed.isValid() && typed >= minimumDate() && typed <= maximumDate()) {
        setDate(typed);
    } else {
        setDate(e.before);
        if (!leaving) Select(0);
    }
}

void DateEdit::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
        QWidget::focusNextPrevChild(key == Qt::Key_Tab && !(event->modifiers() & Qt::ShiftModifier));
        event->accept();
        return;
    }
    const QString text = event->text();
    const bool plain = !(event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier));
    if (plain && text.size() == 1 && (IsDigit(text[0]) || IsSeparator(text[0]))) {
        Type(event, text[0]);
        return;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) Finish(true);
    else if (EndsEntry(key)) entry_ = {};
    QDateEdit::keyPressEvent(event);
}

void DateEdit::focusInEvent(QFocusEvent* event) {
    QDateEdit::focusInEvent(event);
    entry_ = {};
    switch (event->reason()) {
        case Qt::TabFocusReason:
        case Qt::ShortcutFocusReason:
        case Qt::OtherFocusReason:
            Select(0);
            break;
        case Qt::BacktabFocusReason:
            Select(sectionCount() - 1);
            break;
        default:
            break;  // a click selects where it lands (below); a returning window keeps its selection
    }
}

void DateEdit::focusOutEvent(QFocusEvent* event) {
    if (event->reason() != Qt::PopupFocusReason) Finish(true);
    QDateEdit::focusOutEvent(event);
}

bool DateEdit::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lineEdit() && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        // The line edit places the cursor (and drops a selection clicked into) first; a click
        // then selects the section it landed in, a drag keeps what it selected.
        QObject* edit = lineEdit();
        edit->event(event);
        if (!lineEdit()->hasSelectedText()) {
            entry_ = {};
            Select(currentSectionIndex());
        }
        return true;
    }
    return QDateEdit::eventFilter(watched, event);
}

}  // namespace ui::qt
