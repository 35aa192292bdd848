#include "host/LookupTableModel.h"

#include <algorithm>
#include <cmath>

#include "db/NaturalOrder.h"
#include "db/TypeClass.h"
#include "host/QtText.h"

namespace host {

LookupTableModel::LookupTableModel(std::shared_ptr<const db::RowSet> rows, QObject* parent, int priceDecimals)
    : QAbstractTableModel(parent),
      rows_(rows ? std::move(rows) : std::make_shared<const db::RowSet>()),
      priceDecimals_(std::min(priceDecimals, 6)) {
    order_ = db::NaturalOrderOfFirstColumn(*rows_);
    shown_ = order_;
    // A column is numeric when its declared type says so, or (a type the driver left open) when
    // every value it holds is a number.
    const size_t columns = rows_->fields.size();
    numeric_.assign(columns, false);
    price_.assign(columns, false);
    for (size_t c = 0; c < columns; ++c) {
        const db::DataType type = rows_->fields[c].type;
        bool numeric = db::IsNumericClass(type);
        if (!numeric && !db::IsTextClass(type) && !db::IsDateClass(type)) {
            bool any = false, all = true;
            for (size_t r = 0; r < rows_->rows.size() && r < 200 && all; ++r) {
                if (c >= rows_->rows[r].size()) continue;
                const db::Value& v = rows_->rows[r][c];
                if (v.IsNull() || v.IsEmpty()) continue;
                any = true;
                all = v.IsNumeric();
            }
            numeric = any && all;
        }
        numeric_[c] = numeric;
        price_[c] = numeric && rows_->fields[c].name.find("价") != std::string::npos;
    }
}

bool LookupTableModel::IsPriceColumn(int column) const {
    return column >= 0 && static_cast<size_t>(column) < price_.size() && price_[static_cast<size_t>(column)];
}

QString LookupTableModel::CellText(const db::Value& v, size_t column) const {
    if (column < price_.size() && price_[column] && priceDecimals_ >= 0 && v.IsNumeric() && v.GetKind() != db::Value::Kind::Bool) {
        const double x = v.ToDouble();
        const double scale = std::pow(10.0, priceDecimals_);
        const double scaled = x * scale;
        const double rounded = std::round(scaled + scaled * 1e-12) / scale;  // 1.005 shows 1.01
        return QString::number(rounded == 0 ? 0.0 : rounded, 'f', priceDecimals_);
    }
    return DisplayText(v);
}

void LookupTableModel::BuildHaystack() {
    if (!haystack_.empty() || rows_->rows.empty()) return;
    const size_t n = rows_->rows.size();
    haystack_.reserve(n);
    for (size_t r = 0; r < n; ++r) {
        QString text;
        const auto& row = rows_->rows[r];
        for (size_t c = 0; c < row.size(); ++c) {
            text += CellText(row[c], c);
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
    const auto column = static_cast<size_t>(index.column());
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(
            Qt::Alignment((column < numeric_.size() && numeric_[column] ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter));
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
    const auto& row = rows_->rows[static_cast<size_t>(shown_[static_cast<size_t>(index.row())])];
    return column < row.size() ? CellText(row[column], column) : QString();
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
        shown_ = order_;
    } else {
        shown_.clear();
        for (int r : order_)
            if (haystack_[static_cast<size_t>(r)].contains(needle)) shown_.push_back(r);
    }
    filter_ = needle;
    endResetModel();
}

}  // namespace host
