// The lookup window's picker: a filter box over a grid of the statement's rows and a status line
// with the number of rows shown. Arrow and page keys move in the grid while the filter box has
// the focus; Enter or a double-click picks the current row, Esc cancels.
#pragma once
#include <QDialog>
#include <memory>
#include <optional>

#include "db/RowSet.h"

class QLabel;
class QLineEdit;
class QTableView;

namespace host {

class LookupTableModel;

class LookupDialog : public QDialog {
    Q_OBJECT
public:
    // priceDecimals: the host's price decimals for the price column (< 0: shortest form).
    explicit LookupDialog(std::shared_ptr<const db::RowSet> rows, QWidget* parent = nullptr, int priceDecimals = -1);

    static constexpr int kMinColumnWidth = 48, kMaxColumnWidth = 260;  // pixels

    // The fetched row picked, once the dialog was accepted.
    std::optional<int> PickedRow() const { return picked_; }

    QLineEdit* FilterBox() const { return filter_; }
    QTableView* Grid() const { return grid_; }
    LookupTableModel* Model() const { return model_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ApplyFilter(const QString& text);
    void Pick(const QModelIndex& index);
    void ShowCount();
    void FitColumns();

    LookupTableModel* model_ = nullptr;
    QLineEdit* filter_ = nullptr;
    QTableView* grid_ = nullptr;
    QLabel* status_ = nullptr;
    std::optional<int> picked_;
};

}  // namespace host
