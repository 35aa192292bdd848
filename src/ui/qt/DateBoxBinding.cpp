#include "ui/qt/DateBoxBinding.h"

namespace ui::qt {

DateBoxBinding::DateBoxBinding(ui::DateBox& box, DateEdit* edit) : ControlBinding(box, edit), box_(box), edit_(edit) {
    edit->setCalendarPopup(true);
    connect(edit, &QDateEdit::dateChanged, this, [this](QDate d) {
        if (!Applying() && d.isValid()) box_.EnteredValue(db::DateTime{d.year(), d.month(), d.day()});
    });
}

void DateBoxBinding::Apply() {
    ControlBinding::Apply();
    const db::DateTime& v = box_.Value();
    QDate d(v.year, v.month, v.day);
    if (d.isValid()) edit_->ShowDate(d);
}

}  // namespace ui::qt
