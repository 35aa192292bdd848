#include "ui/qt/NumberBoxBinding.h"

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
}

void NumberBoxBinding::Apply() {
    ControlBinding::Apply();
    if (spin_->decimals() != box_.Decimals()) spin_->setDecimals(box_.Decimals());
    // The spin box rounds to its decimals; compare in the shown form so that re-showing an
    // unrounded state does not count as a change.
    if (spin_->textFromValue(spin_->value()) != spin_->textFromValue(box_.Value())) spin_->setValue(box_.Value());
}

}  // namespace ui::qt
