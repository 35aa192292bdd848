#include "ui/qt/ComboBoxBinding.h"

#include "ui/qt/SafeCall.h"

namespace ui::qt {

ComboBoxBinding::ComboBoxBinding(ui::ComboBox& box, QComboBox* combo) : ControlBinding(box, combo), box_(box), combo_(combo) {
    combo->setEditable(false);
    connect(combo, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (!Applying()) SafeCall([this, i] { box_.Chosen(i); });
    });
}

void ComboBoxBinding::Apply() {
    ControlBinding::Apply();
    QStringList items;
    for (const auto& item : box_.Items()) items << QString::fromStdString(item);
    bool same = combo_->count() == items.size();
    for (int i = 0; same && i < items.size(); ++i) same = combo_->itemText(i) == items[i];
    if (!same) {
        combo_->clear();
        combo_->addItems(items);
    }
    if (combo_->currentIndex() != box_.ListIndex()) combo_->setCurrentIndex(box_.ListIndex());
}

}  // namespace ui::qt
