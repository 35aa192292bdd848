// The report grid's filter dialog: a condition per column (any, equals, contains for text, from-to
// for numbers and dates). OK takes conditions that are all valid; "清除过滤" drops every condition.
#pragma once
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <string>
#include <vector>

#include "host/ReportSettings.h"

namespace host {

class ReportTableModel;

class ReportFilterDialog : public QDialog {
    Q_OBJECT
public:
    explicit ReportFilterDialog(const ReportTableModel& model, QWidget* parent = nullptr);

    // The conditions as they stand in the dialog (those left at "不限" are not among them).
    std::vector<ReportFilterRule> Rules() const;

    // The row of a field, -1 when it has none; the row's widgets.
    int RowOf(const std::string& field) const;
    QComboBox* OpBox(int row) const { return rows_.at(static_cast<size_t>(row)).op; }
    QLineEdit* ValueEdit(int row) const { return rows_.at(static_cast<size_t>(row)).value; }
    QLineEdit* ToEdit(int row) const { return rows_.at(static_cast<size_t>(row)).to; }
    QPushButton* ClearButton() const { return clear_; }

    void accept() override;

private:
    struct Row {
        std::string field;
        QComboBox* op;
        QLineEdit* value;
        QLineEdit* to;
    };
    void OpChanged(size_t row);

    const ReportTableModel& model_;
    std::vector<Row> rows_;
    QPushButton* clear_;
};

}  // namespace host
