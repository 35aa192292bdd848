#include "host/ReportTableModel.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <algorithm>
#include <cmath>
#include <numeric>
#include <set>

#include "db/NaturalOrder.h"
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
        field.flag = field.kind == ReportFieldKind::Integer && field.name.find("标志") != std::string::npos;
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
    scanned_.clear();
    scanned_.resize(fields_.size());

    estimatedWidths_.assign(fields_.size(), 0);
    for (size_t f = 0; f < fields_.size(); ++f) {
        int units = TextUnits(ToQString(fields_[f].name));
        const int sample = std::min<int>(kSampleRows, FetchedRows());
        for (int r = 0; r < sample; ++r)
            units = std::max(units, TextUnits(ReportCellText(rows_->rows[static_cast<size_t>(r)][f], fields_[f])));
        estimatedWidths_[f] = std::clamp(units * 7 + 18, 48, 360);
    }

    FitArrangement();
    // A statement ordered by a code orders it as a text (10 before 2); the grid shows it by value.
    naturalOrder_.clear();
    if (rows_) {
        std::vector<int> natural = db::NaturalOrderOfFirstColumn(*rows_);
        if (!std::is_sorted(natural.begin(), natural.end())) naturalOrder_ = std::move(natural);
    }
    sortField_ = sortName.empty() ? -1 : FieldIndex(sortName);
    ApplyFilter();
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
        ApplyFilter();
    }
    endResetModel();
}

bool ReportTableModel::SetColumns(std::vector<ReportColumnSetting> columns) {
    const bool fits = Fits(columns);
    beginResetModel();
    columns_ = fits ? std::move(columns) : DefaultColumns();
    for (auto& c : columns_) c.width = std::max(0, c.width);
    UpdateShownFields();  // the rows stay; the totals label may move to another column
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
    ApplyFilter();
    endResetModel();
    return all;
}

void ReportTableModel::sort(int column, Qt::SortOrder order) {
    if (column < 0 || column >= static_cast<int>(shownFields_.size())) return;
    SortByField(shownFields_[static_cast<size_t>(column)], order);
}

void ReportTableModel::SortByField(int field, Qt::SortOrder order) {
    if (field >= static_cast<int>(fields_.size())) return;
    sortField_ = field < 0 ? -1 : field;
    sortOrder_ = order;
    // A reset, as for every rearrangement: the grid takes its sort indicator from it.
    beginResetModel();
    SortShown();
    endResetModel();
}

const ReportFieldColumn& ReportTableModel::Column(int field) {
    auto& column = scanned_[static_cast<size_t>(field)];
    if (!column) column = std::make_unique<ReportFieldColumn>(*rows_, static_cast<size_t>(field), fields_[static_cast<size_t>(field)].kind);
    return *column;
}

void ReportTableModel::ApplyFilter() {
    filtered_.clear();
    totals_.assign(fields_.size(), 0.0);
    if (!rows_) {
        order_.clear();
        return;
    }
    filtered_.resize(rows_->rows.size());
    std::iota(filtered_.begin(), filtered_.end(), 0);
    const ReportFilter filter(filter_, fields_);
    filter.Narrow(filtered_, *rows_, [this](int field) -> const ReportFieldColumn& { return Column(field); });

    // Sums in the fetched order, whatever the display order.
    for (size_t f = 0; f < fields_.size(); ++f) {
        if (!fields_[f].IsQuantity()) continue;
        const ReportFieldColumn& column = Column(static_cast<int>(f));
        long double sum = 0.0L;
        for (int r : filtered_) sum += column.Number(r);
        totals_[f] = static_cast<double>(sum);
    }
    SortShown();
}

void ReportTableModel::SortShown() {
    if (sortField_ < 0 || !rows_) {
        if (naturalOrder_.empty()) {
            order_ = filtered_;
            return;
        }
        // The rows that passed, picked out of the natural order: one walk, no sort per filter.
        std::vector<char> passed(rows_->rows.size(), 0);
        for (int r : filtered_) passed[static_cast<size_t>(r)] = 1;
        order_.clear();
        order_.reserve(filtered_.size());
        for (int r : naturalOrder_)
            if (passed[static_cast<size_t>(r)]) order_.push_back(r);
        return;
    }
    const ReportFieldColumn& column = Column(sortField_);
    const bool descending = sortOrder_ == Qt::DescendingOrder;
    // Nulls apart in the fetched order: first going up, last going down. The others by key, ties
    // (and texts that differ past the key) settled by the text, then by the fetched order.
    struct Entry {
        std::uint64_t key;
        int row;
    };
    std::vector<Entry> keyed;
    keyed.reserve(filtered_.size());
    std::vector<int> nulls;
    for (int r : filtered_) {
        if (column.Unkeyed(r)) nulls.push_back(r);
        else keyed.push_back({column.SortKey(r), r});
    }
    const bool exact = column.KeysExact();
    auto before = [&](const Entry& a, const Entry& b) {
        if (a.key != b.key) return descending ? a.key > b.key : a.key < b.key;
        if (!exact) {
            const int c = db::NaturalCompare(column.Text(a.row), column.Text(b.row));
            if (c != 0) return descending ? c > 0 : c < 0;
        }
        return a.row < b.row;
    };
    std::sort(keyed.begin(), keyed.end(), before);
    order_.clear();
    order_.reserve(filtered_.size());
    if (!descending) order_.insert(order_.end(), nulls.begin(), nulls.end());
    for (const Entry& e : keyed) order_.push_back(e.row);
    if (descending) order_.insert(order_.end(), nulls.begin(), nulls.end());
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
    return field >= 0 && field < static_cast<int>(fields_.size()) && fields_[static_cast<size_t>(field)].IsQuantity();
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
            return VisibleText(totals ? TotalText(field) : TextAt(index.row(), field));
        case Qt::TextAlignmentRole: {
            const ReportField& f = fields_[static_cast<size_t>(field)];
            return QVariant::fromValue(
                Qt::Alignment((f.flag ? Qt::AlignHCenter : f.IsQuantity() ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter));
        }
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
        return VisibleText(Heading(shownFields_[static_cast<size_t>(section)]));
    }
    if (section < 0 || section >= rowCount()) return {};
    return IsTotalsRow(section) ? QStringLiteral("合计") : QString::number(section + 1);
}

}  // namespace host
