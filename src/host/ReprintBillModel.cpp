#include "host/ReprintBillModel.h"

#include "host/QtText.h"

namespace host {

int ReprintBillModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ReprintBillModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant ReprintBillModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) return {};
    const ReprintBillRow& r = rows_[static_cast<size_t>(index.row())];
    if (index.column() == Check) {
        if (role == Qt::CheckStateRole) return r.checked ? Qt::Checked : Qt::Unchecked;
        return {};
    }
    if (role == Qt::TextAlignmentRole && (index.column() == Audited || index.column() == Posted))
        return int(Qt::AlignCenter);
    if (role != Qt::DisplayRole) return {};
    switch (index.column()) {
        case Serial: return ToQString(r.serial);
        case BillDate: return ToQString(r.billDate);
        case Target: return ToQString(r.target);
        case Remark: return ToQString(r.remark);
        case Operator: return ToQString(r.operatorName);
        case Audited: return r.audited ? QStringLiteral("是") : QStringLiteral("否");
        case Posted: return r.posted ? QStringLiteral("是") : QStringLiteral("否");
        default: return {};
    }
}

bool ReprintBillModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) return false;
    if (index.column() != Check || role != Qt::CheckStateRole) return false;
    rows_[static_cast<size_t>(index.row())].checked = value.toInt() == Qt::Checked;
    emit dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

Qt::ItemFlags ReprintBillModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == Check) f |= Qt::ItemIsUserCheckable;
    return f;
}

QVariant ReprintBillModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return section + 1;
    static const char* const kHeadings[] = {"选择", "流水号", "开单日期", "分支机构", "备注", "操作人员", "审核", "记帐"};
    if (section < 0 || section >= ColumnCount) return {};
    return QString::fromUtf8(kHeadings[section]);
}

void ReprintBillModel::SetRows(std::vector<ReprintBillRow> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

std::vector<std::string> ReprintBillModel::CheckedSerials() const {
    std::vector<std::string> serials;
    for (const auto& r : rows_)
        if (r.checked) serials.push_back(r.serial);
    return serials;
}

}  // namespace host
