#include "host/LookupTableModel.h"

#include <numeric>

#include "host/QtText.h"

namespace host {

LookupTableModel::LookupTableModel(std::shared_ptr<const db::RowSet> rows, QObject* parent)
    : QAbstractTableModel(parent), rows_(rows ? std::move(rows) : std::make_shared<const db::RowSet>()) {
    shown_.resize(rows_->rows.size());
    std::iota(shown_.begin(), shown_.end(), 0);
}

void LookupTableModel::BuildHaystack() {
    if (!haystack_.empty() || rows_->rows.empty()) return;
    const size_t n = rows_->rows.size();
    haystack_.reserve(n);
    for (size_t r = 0; r < n; ++r) {
        QString text;
        for (const db::Value& v : rows_->rows[r]) {
            text += DisplayText(v);
            text += QLatin1Char('\n');  // the filter box is one line, so no match spans two cells
        }
        haystack_.push_back(text.toCaseFolded());
    }
}

int LookupTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(shown_.size());
}

int LookupTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_->fields.size());
}

QVariant LookupTableModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) return {};
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
    const auto& row = rows_->rows[static_cast<size_t>(shown_[static_cast<size_t>(index.row())])];
    const auto column = static_cast<size_t>(index.column());
    return column < row.size() ? DisplayText(row[column]) : QString();
}

QVariant LookupTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return section + 1;
    if (section < 0 || section >= columnCount()) return {};
    return ToQString(rows_->fields[static_cast<size_t>(section)].name);
}

void LookupTableModel::SetFilter(const QString& text) {
    const QString needle = text.toCaseFolded();
    if (needle == filter_) return;
    if (!needle.isEmpty()) BuildHaystack();
    beginResetModel();
    if (!filter_.isEmpty() && needle.contains(filter_)) {
        // Typing on narrows: only rows that held the old text can hold the new one.
        std::erase_if(shown_, [&](int r) { return !haystack_[static_cast<size_t>(r)].contains(needle); });
    } else if (needle.isEmpty()) {
        shown_.resize(rows_->rows.size());
        std::iota(shown_.begin(), shown_.end(), 0);
    } else {
        shown_.clear();
        for (size_t r = 0; r < haystack_.size(); ++r)
            if (haystack_[r].contains(needle)) shown_.push_back(static_cast<int>(r));
    }
    filter_ = needle;
    endResetModel();
}

}  // namespace host
