// The report grid's properties dialog: title, font size, orientation and margins of the printed
// report.
#pragma once
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QSpinBox>

#include "host/ReportSettings.h"

namespace host {

class ReportPropertiesDialog : public QDialog {
    Q_OBJECT
public:
    // reportName: the title printed when the title is left empty.
    ReportPropertiesDialog(const ReportPageSetup& setup, const QString& reportName, QWidget* parent = nullptr);

    ReportPageSetup Setup() const;

    QLineEdit* TitleEdit() const { return title_; }
    QSpinBox* FontSizeBox() const { return fontSize_; }
    QComboBox* OrientationBox() const { return orientation_; }
    QSpinBox* MarginBox(int side) const { return margins_[side]; }  // 0 top, 1 bottom, 2 left, 3 right

private:
    QLineEdit* title_;
    QSpinBox* fontSize_;
    QComboBox* orientation_;
    QSpinBox* margins_[4];
};

}  // namespace host
