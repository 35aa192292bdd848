#include "host/ReportTableModel.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <algorithm>
#include <cmath>
#include <set>

#include "db/TypeClass.h"
#include "host/QtText.h"
#include "host/ReportFilter.h"

namespace host {
namespace {

constexpr int kSampleRows = 200;

const db::Value& NullValue() {
    static const db::Value null = db::Value::Null();
    return null;
}

// The kind of a column whose declared type says nothing: from the values it holds.
ReportFieldKind KindFromValues(const db::RowSet& rows, size_t f) {
    bool any = false, numbers = true, integers = true, dates = true;
    for (const auto& row : rows.rows) {
        const db::Value& v = row[f];
        if (v.IsNull() || v.IsEmpty()) continue;
        any = true;
        const auto k = v.GetKind();
        if (!v.IsNumeric()) numbers = false;
        if (k == db::Value::Kind::Double) integers = false;
        if (k != db::Value::Kind::Date) dates = false;
        if (!numbers && !dates) break;
    }
    if (!any) return ReportFieldKind::Text;
    if (numbers) return integers ? ReportFieldKind::Integer : ReportFieldKind::Decimal;
    return dates ? ReportFieldKind::Date : ReportFieldKind::Text;
}

std::vector<ReportField> FieldsOf(const db::RowSet& rows, int priceDecimals) {
    std::vector<ReportField> fields;
    std::set<std::string> seen;
    for (size_t f = 0; f < rows.fields.size(); ++f) {
        const db::FieldInfo& info = rows.fields[f];
        ReportField field;
        // Columns are told apart by name: a repeated name gets a number.
        field.name = info.name;
        for (int n = 2; !seen.insert(field.name).second; ++n) field.name = info.name + "_" + std::to_string(n);
        if (db::IsIntegerClass(info.type)) field.kind = ReportFieldKind::Integer;
        else if (db::IsApproximateClass(info.type) || db::IsExactNumericClass(info.type)) field.kind = ReportFieldKind::Decimal;
        else if (db::IsDateClass(info.type)) field.kind = ReportFieldKind::Date;
        else if (db::IsTextClass(info.type)) field.kind = ReportFieldKind::Text;
        else field.kind = KindFromValues(rows, f);
        if (field.kind == ReportFieldKind::Decimal && field.name.find("价") != std::string::npos)
            field.decimals = std::clamp(priceDecimals, 0, 10);
        fields.push_back(std::move(field));
    }
    return fields;
}

// Width of a text in units of a Latin character; Chinese characters take two.
int TextUnits(const QString& text) {
    int units = 0;
    for (QChar c : text) units += c.unicode() >= 0x2E80 ? 2 : 1;
    return units;
}

}  // namespace

ReportTableModel::ReportTableModel(QObject* parent) : QAbstractTableModel(parent) {}

int ReportTableModel::FieldIndex(const std::string& name) const {
    for (size_t i = 0; i < fields_.size(); ++i)
        if (fields_[i].name == name) return static_cast<int>(i);
    return -1;
}

std::vector<ReportColumnSetting> ReportTableModel::DefaultColumns() const {
    std::vector<ReportColumnSetting> columns;
    for (const ReportField& f : fields_) columns.push_back({f.name, true, 0, {}});
    return columns;
}

void ReportTableModel::SetResult(std::shared_ptr<const db::RowSet> rows, int priceDecimals) {
    beginResetModel();
    const std::string sortName = sortField_ >= 0 && sortField_ < static_cast<int>(fields_.size())
                                     ? fields_[static_cast<size_t>(sortField_)].name
                                     : std::string();
    rows_ = std::move(rows);
    fields_ = rows_ ? FieldsOf(*rows_, priceDecimals) : std::vector<ReportField>{};

    estimatedWidths_.assign(fields_.size(), 0);
    for (size_t f = 0; f < fields_.size(); ++f) {
        int units = TextUnits(ToQString(fields_[f].name));
        const int sample = std::min<int>(kSampleRows, FetchedRows());
        for (int r = 0; r < sample; ++r)
            units = std::max(units, TextUnits(ReportCellText(rows_->rows[static_cast<size_t>(r)][f], fields_[f])));
        estimatedWidths_[f] = std::clamp(units * 7 + 18, 48, 360);
    }

    FitArrangement();
    sortField_ = sortName.empty() ? -1 : FieldIndex(sortName);
    Rebuild();
    endResetModel();
}

bool ReportTableModel::Fits(const std::vector<ReportColumnSetting>& columns) const {
    std::set<std::string> defined, names;
    for (const auto& c : columns) defined.insert(c.field);
    for (const auto& f : fields_) names.insert(f.name);
    return defined == names && columns.size() == fields_.size() &&
           std::any_of(columns.begin(), columns.end(), [](const auto& c) { return c.visible; });
}

// Definitions made for other fields fall back to the defaults; rules that no longer apply go.
void ReportTableModel::FitArrangement() {
    if (!Fits(columns_)) columns_ = DefaultColumns();
    for (auto& c : columns_) c.width = std::max(0, c.width);
    UpdateShownFields();
    std::vector<ReportFilterRule> rules;
    for (const auto& r : filter_)
        if (ReportFilter::Problem(r, fields_).empty()) rules.push_back(r);
    filter_ = std::move(rules);
}

void ReportTableModel::Arrange(std::vector<ReportColumnSetting> columns, std::vector<ReportFilterRule> rules) {
    beginResetModel();
    columns_ = std::move(columns);
    filter_ = std::move(rules);
    if (rows_) {
        FitArrangement();
        Rebuild();
    }
    endResetModel();
}

bool ReportTableModel::SetColumns(std::vector<ReportColumnSetting> columns) {
    const bool fits = Fits(columns);
    beginResetModel();
    columns_ = fits ? std::move(columns) : DefaultColumns();
    for (auto& c : columns_) c.width = std::max(0, c.width);
    UpdateShownFields();
    Rebuild();  // the totals label may move to another column
    endResetModel();
    return fits;
}

void ReportTableModel::SetColumnWidth(int column, int pixels) {
    if (column < 0 || column >= static_cast<int>(shownFields_.size())) return;
    const std::string& name = fields_[static_cast<size_t>(shownFields_[static_cast<size_t>(column)])].name;
    for (auto& c : columns_)
        if (c.field == name) c.width = std::max(0, pixels);
}

void ReportTableModel::UpdateShownFields() {
    shownFields_.clear();
    for (const auto& c : columns_) {
        const int f = FieldIndex(c.field);
        if (c.visible && f >= 0) shownFields_.push_back(f);
    }
}

QString ReportTableModel::Heading(int field) const {
    const std::string& name = fields_.at(static_cast<size_t>(field)).name;
    for (const auto& c : columns_)
        if (c.field == name && !c.heading.empty()) return ToQString(c.heading);
    return ToQString(name);
}

int ReportTableModel::ColumnWidth(int field) const {
    const std::string& name = fields_.at(static_cast<size_t>(field)).name;
    for (const auto& c : columns_)
        if (c.field == name && c.width > 0) return c.width;
    const int estimate = estimatedWidths_.at(static_cast<size_t>(field));
    // The column that carries the totals label is wide enough for it.
    return field == TotalsLabelField() ? std::max(estimate, TextUnits(TotalsLabel()) * 7 + 18) : estimate;
}

bool ReportTableModel::SetFilter(std::vector<ReportFilterRule> rules) {
    std::vector<ReportFilterRule> kept;
    for (auto& r : rules)
        if (ReportFilter::Problem(r, fields_).empty()) kept.push_back(std::move(r));
    const bool all = kept.size() == rules.size();
    beginResetModel();
    filter_ = std::move(kept);
    Rebuild();
    endResetModel();
    return all;
}

void ReportTableModel::sort(int column, Qt::SortOrder order) {
    if (column < 0 || column >= static_cast<int>(shownFields_.size())) return;
    SortByField(shownFields_[static_cast<size_t>(column)], order);
}

void ReportTableModel::SortByField(int field, Qt::SortOrder order) {
    if (field >= static_cast<int>(fields_.size())) return;
    beginResetModel();
    sortField_ = field < 0 ? -1 : field;
    sortOrder_ = order;
    Rebuild();
    endResetModel();
}

void ReportTableModel::Rebuild() {
    order_.clear();
    totals_.assign(fields_.size(), 0.0);
    if (!rows_) return;
    const auto& rows = rows_->rows;
    const ReportFilter filter(filter_, fields_);
    order_.reserve(rows.size());
    for (size_t i = 0; i < rows.size(); ++i)
        if (filter.Empty() || filter.Matches(rows[i])) order_.push_back(static_cast<int>(i));
    if (sortField_ >= 0) SortOrderVector();

    std::vector<long double> sums(fields_.size(), 0.0L);
    for (size_t f = 0; f < fields_.size(); ++f) {
        if (!fields_[f].IsNumeric()) continue;
        for (int r : order_) {
            const db::Value& v = rows[static_cast<size_t>(r)][f];
            if (v.IsNumeric()) sums[f] += ReportNumber(v);
        }
        totals_[f] = static_cast<double>(sums[f]);
    }
}

void ReportTableModel::SortOrderVector() {
    const auto& rows = rows_->rows;
    const size_t f = static_cast<size_t>(sortField_);
    const ReportField& field = fields_[f];
    const bool descending = sortOrder_ == Qt::DescendingOrder;
    // One key per fetched row, then a stable sort of the row numbers: ties keep the fetched order,
    // nulls come first going up and last going down.
    if (field.kind == ReportFieldKind::Text) {
        std::vector<std::string> keys(rows.size());
        std::vector<char> null(rows.size(), 0);
        for (int r : order_) {
            const db::Value& v = rows[static_cast<size_t>(r)][f];
            if (v.IsNull() || v.IsEmpty()) null[static_cast<size_t>(r)] = 1;
            else keys[static_cast<size_t>(r)] = v.ToText();
        }
        auto less = [&](int a, int b) {
            const auto ua = static_cast<size_t>(a), ub = static_cast<size_t>(b);
            if (null[ua] || null[ub]) return null[ua] > null[ub];
            return keys[ua] < keys[ub];
        };
        std::stable_sort(order_.begin(), order_.end(), [&](int a, int b) { return descending ? less(b, a) : less(a, b); });
        return;
    }
    std::vector<double> keys(rows.size(), 0.0);
    std::vector<char> null(rows.size(), 0);
    for (int r : order_) {
        const db::Value& v = rows[static_cast<size_t>(r)][f];
        const auto u = static_cast<size_t>(r);
        if (v.GetKind() == db::Value::Kind::Date) {
            const db::DateTime d = v.ToDate();
            keys[u] = ((d.year * 100.0 + d.month) * 100.0 + d.day) * 1000000.0 + d.hour * 10000.0 + d.minute * 100.0 + d.second;
        } else if (v.IsNumeric()) {
            keys[u] = ReportNumber(v);
        } else {
            null[u] = 1;
        }
    }
    auto less = [&](int a, int b) {
        const auto ua = static_cast<size_t>(a), ub = static_cast<size_t>(b);
        if (null[ua] || null[ub]) return null[ua] > null[ub];
        return keys[ua] < keys[ub];
    };
    std::stable_sort(order_.begin(), order_.end(), [&](int a, int b) { return descending ? less(b, a) : less(a, b); });
}

const db::Value& ReportTableModel::ValueAt(int row, int field) const {
    if (!rows_ || row < 0 || row >= ShownRows() || field < 0 || field >= static_cast<int>(fields_.size())) return NullValue();
    return rows_->rows[static_cast<size_t>(order_[static_cast<size_t>(row)])][static_cast<size_t>(field)];
}

QString ReportTableModel::TextAt(int row, int field) const {
    if (field < 0 || field >= static_cast<int>(fields_.size())) return {};
    return ReportCellText(ValueAt(row, field), fields_[static_cast<size_t>(field)]);
}

bool ReportTableModel::HasTotal(int field) const {
    return field >= 0 && field < static_cast<int>(fields_.size()) && fields_[static_cast<size_t>(field)].IsNumeric();
}

double ReportTableModel::Total(int field) const { return HasTotal(field) ? totals_[static_cast<size_t>(field)] : 0.0; }

int ReportTableModel::TotalsLabelField() const {
    for (int f : shownFields_)
        if (fields_[static_cast<size_t>(f)].kind == ReportFieldKind::Text) return f;
    for (int f : shownFields_)
        if (!fields_[static_cast<size_t>(f)].IsNumeric()) return f;
    return -1;
}

QString ReportTableModel::TotalsLabel() const { return QStringLiteral("合计（共%1行）").arg(ShownRows()); }

QString ReportTableModel::TotalText(int field) const {
    if (HasTotal(field)) return ReportNumberText(Total(field), fields_[static_cast<size_t>(field)]);
    if (field >= 0 && field == TotalsLabelField()) return TotalsLabel();
    return {};
}

int ReportTableModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !rows_ || fields_.empty()) return 0;
    return ShownRows() + 1;
}

int ReportTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(shownFields_.size());
}

QVariant ReportTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) return {};
    const int field = shownFields_[static_cast<size_t>(index.column())];
    const bool totals = IsTotalsRow(index.row());
    switch (role) {
        case Qt::DisplayRole:
            return totals ? TotalText(field) : TextAt(index.row(), field);
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(Qt::Alignment(
                (fields_[static_cast<size_t>(field)].IsNumeric() ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter));
        case Qt::FontRole:
            if (totals) {
                QFont bold;
                bold.setBold(true);
                return bold;
            }
            return {};
        case Qt::BackgroundRole:
            return totals ? QVariant(QBrush(QColor(0xEE, 0xF2, 0xF7))) : QVariant();
        default:
            return {};
    }
}

QVariant ReportTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return QAbstractTableModel::headerData(section, orientation, role);
    if (orientation == Qt::Horizontal) {
        if (section < 0 || section >= columnCount()) return {};
        return Heading(shownFields_[static_cast<size_t>(section)]);
    }
    if (section < 0 || section >= rowCount()) return {};
    return IsTotalsRow(section) ? QStringLiteral("合计") : QString::number(section + 1);
}

}  // namespace host
