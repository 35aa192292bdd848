// The report grid's widget: the report's rows in a table (a click on a heading sorts by it, again
// reverses), the totals row last, and a status line with the row count and, while a filter is on,
// a button that clears it. Column widths the operator drags are handed to the model.
#pragma once
#include <QLabel>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QWidget>

namespace host {

class ReportTableModel;

class ReportGridWidget : public QWidget {
    Q_OBJECT
public:
    explicit ReportGridWidget(ReportTableModel& model, QWidget* parent = nullptr);

    QTableView* Table() const { return table_; }
    QLabel* Status() const { return status_; }
    QToolButton* ClearFilterButton() const { return clearFilter_; }
    // Row numbers at the left of every row.
    void SetShowOrder(bool show);
    // Applies the model's widths and sort indicator and updates the status line.
    void Rearranged();
    // A note after the row count in the status line (what an export wrote), until the next
    // rearrangement.
    void ShowNote(const QString& note);
    // A dragged width not yet reported.
    bool WidthsPending() const { return widthsSettled_.isActive(); }

signals:
    void clearFilterRequested();
    // The operator dragged a column's width (reported once the dragging has stopped).
    void columnWidthsChanged();

private:
    void HeadingClicked(int column);
    void UpdateStatus();

    ReportTableModel& model_;
    QTableView* table_;
    QLabel* status_;
    QToolButton* clearFilter_;
    QTimer widthsSettled_;
    QString note_;
    bool applying_ = false;
};

}  // namespace host
