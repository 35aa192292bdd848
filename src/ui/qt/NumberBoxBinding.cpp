#include "ui/qt/NumberBoxBinding.h"

#include <QKeyEvent>
#include <QLocale>

namespace ui::qt {

NumberBoxBinding::NumberBoxBinding(ui::NumberBox& box, QDoubleSpinBox* spin)
    : ControlBinding(box, spin), box_(box), spin_(spin) {
    spin->setButtonSymbols(QAbstractSpinBox::NoButtons);
    spin->setRange(-1e15, 1e15);
    spin->setSingleStep(0);  // arrow keys belong to the window's own navigation
    spin->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QLocale plain = QLocale::c();
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    spin->setLocale(plain);
    connect(spin, &QDoubleSpinBox::valueChanged, this, [this](double v) {
        if (!Applying()) box_.EnteredValue(v);
    });
    // Typing the value already shown (a price rounded to the shown decimals) changes no value but
    // is still the operator's entry: once typed into, the field's value is reported when the
    // operator leaves it. A field only passed through keeps its unrounded value.
    spin->installEventFilter(this);
    connect(spin, &QDoubleSpinBox::editingFinished, this, [this] {
        if (!typed_ || Applying()) return;
        typed_ = false;
        box_.EnteredValue(spin_->value());
    });
}

bool NumberBoxBinding::eventFilter(QObject* watched, QEvent* event) {
    if (watched == spin_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (!key->text().isEmpty() || key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Delete) typed_ = true;
    }
    return ControlBinding::eventFilter(watched, event);
}

void NumberBoxBinding::Apply() {
    ControlBinding::Apply();
    if (spin_->decimals() != box_.Decimals()) spin_->setDecimals(box_.Decimals());
    // The spin box rounds to its decimals; compare in the shown form so that re-showing an
    // unrounded state does not count as a change.
    if (spin_->textFromValue(spin_->value()) != spin_->textFromValue(box_.Value())) spin_->setValue(box_.Value());
    if (shownSelectAll_ != box_.SelectAllRequests()) {
        shownSelectAll_ = box_.SelectAllRequests();
        spin_->selectAll();
    }
}

}  // namespace ui::qt
