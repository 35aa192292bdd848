// The report grid's column definitions: for each column whether it shows, its place, its width
// and its heading. At least one column stays shown; "恢复默认" brings back the result's own columns.
#pragma once
#include <QDialog>
#include <QPushButton>
#include <QTableWidget>
#include <vector>

#include "host/ReportSettings.h"

namespace host {

class ReportTableModel;

class ReportColumnsDialog : public QDialog {
    Q_OBJECT
public:
    explicit ReportColumnsDialog(const ReportTableModel& model, QWidget* parent = nullptr);

    std::vector<ReportColumnSetting> Columns() const;

    QTableWidget* Table() const { return table_; }
    // Moves the current row up (-1) or down (+1).
    void MoveCurrent(int step);
    void RestoreDefaults();

    void accept() override;

private:
    void Fill(const std::vector<ReportColumnSetting>& columns);

    const ReportTableModel& model_;
    QTableWidget* table_;
};

}  // namespace host
