// State of a date entry control (date picker or typed date).
#pragma once
#include "db/DateTime.h"
#include "ui/Control.h"

namespace ui {

class DateBox : public Control {
public:
    using Control::Control;
    const db::DateTime& Value() const { return value_; }
    void SetValue(const db::DateTime& d) { value_ = d; Notify(); }
    void EnteredValue(const db::DateTime& d) { value_ = d; }

private:
    db::DateTime value_ = db::DateTime::Today();
};

}  // namespace ui
