// The bills offered for reprinting: one row per bill with a check box in the first column that
// the operator ticks for every bill to print again.
#pragma once
#include <QAbstractTableModel>
#include <string>
#include <vector>

namespace host {

struct ReprintBillRow {
    std::string serial, billDate, target, remark, operatorName;
    bool audited = false, posted = false;
    bool checked = false;
};

class ReprintBillModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Check, Serial, BillDate, Target, Remark, Operator, Audited, Posted, ColumnCount };

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    void SetRows(std::vector<ReprintBillRow> rows);
    const std::vector<ReprintBillRow>& Rows() const { return rows_; }
    // The serials of the ticked rows, in grid order.
    std::vector<std::string> CheckedSerials() const;

private:
    std::vector<ReprintBillRow> rows_;
};

}  // namespace host
