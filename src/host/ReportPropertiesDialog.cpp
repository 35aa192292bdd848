#include "host/ReportPropertiesDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "host/QtText.h"
#include "ui/qt/WindowPlacement.h"

namespace host {

ReportPropertiesDialog::ReportPropertiesDialog(const ReportPageSetup& setup, const QString& reportName, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("报表属性"));
    ui::qt::WindowPlacement::Keep(*this, QStringLiteral("ReportPropertiesDialog"));
    title_ = new QLineEdit(ToQString(setup.title), this);
    title_->setPlaceholderText(reportName);
    fontSize_ = new QSpinBox(this);
    fontSize_->setRange(6, 24);
    fontSize_->setSuffix(QStringLiteral(" 磅"));
    fontSize_->setValue(setup.fontSize);
    orientation_ = new QComboBox(this);
    orientation_->addItems({QStringLiteral("纵向"), QStringLiteral("横向")});
    orientation_->setCurrentIndex(setup.landscape ? 1 : 0);

    auto* form = new QFormLayout;
    auto addRow = [&](const QString& text, QWidget* field) {
        auto* label = new QLabel(text, this);
        label->setBuddy(field);
        form->addRow(label, field);
    };
    addRow(QStringLiteral("标题(&T)："), title_);
    addRow(QStringLiteral("字号(&S)："), fontSize_);
    addRow(QStringLiteral("方向(&O)："), orientation_);

    auto* marginsBox = new QGroupBox(QStringLiteral("页边距（毫米）"), this);
    auto* grid = new QGridLayout(marginsBox);
    const QString names[4] = {QStringLiteral("上："), QStringLiteral("下："), QStringLiteral("左："), QStringLiteral("右：")};
    const int values[4] = {setup.marginTop, setup.marginBottom, setup.marginLeft, setup.marginRight};
    for (int i = 0; i < 4; ++i) {
        margins_[i] = new QSpinBox(marginsBox);
        margins_[i]->setRange(0, 60);
        margins_[i]->setValue(values[i]);
        auto* label = new QLabel(names[i], marginsBox);
        label->setBuddy(margins_[i]);
        margins_[i]->setAccessibleName(QStringLiteral("页边距") + names[i].left(1));
        grid->addWidget(label, i / 2, (i % 2) * 2);
        grid->addWidget(margins_[i], i / 2, (i % 2) * 2 + 1);
    }

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(marginsBox);
    layout->addWidget(buttons);
}

ReportPageSetup ReportPropertiesDialog::Setup() const {
    ReportPageSetup s;
    s.title = ToStdString(title_->text().trimmed());
    s.fontSize = fontSize_->value();
    s.landscape = orientation_->currentIndex() == 1;
    s.marginTop = margins_[0]->value();
    s.marginBottom = margins_[1]->value();
    s.marginLeft = margins_[2]->value();
    s.marginRight = margins_[3]->value();
    return s;
}

}  // namespace host
