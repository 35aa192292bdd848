// The rows of a report as the report grid shows them: the fetched result (shared, never copied;
// the fields it is filtered, sorted or summed by are laid out once more for scanning),
// the columns the operator defined (the shown ones in their order, under their headings), the rows
// that pass the filter in the chosen order (a permutation of row numbers), and a last row "合计"
// with the sums of the numeric columns and the count of the rows shown.
#pragma once
#include <QAbstractTableModel>
#include <memory>
#include <string>
#include <vector>

#include "db/RowSet.h"
#include "host/ReportField.h"
#include "host/ReportFieldColumn.h"
#include "host/ReportSettings.h"

namespace host {

class ReportTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ReportTableModel(QObject* parent = nullptr);

    // Shows a new result; priceDecimals applies to decimal columns whose name holds "价". Column
    // definitions and filter rules stay as far as they still fit the new fields (else the
    // defaults); the sort stays when its field is still there.
    void SetResult(std::shared_ptr<const db::RowSet> rows, int priceDecimals);
    bool HasResult() const { return rows_ != nullptr; }

    // Takes a saved arrangement: the column definitions and filter rules are checked against the
    // fields now and again at every SetResult; what does not fit gives the defaults.
    void Arrange(std::vector<ReportColumnSetting> columns, std::vector<ReportFilterRule> rules);

    const std::vector<ReportField>& Fields() const { return fields_; }
    int FieldIndex(const std::string& name) const;

    // Column definitions: every field once, in display order.
    const std::vector<ReportColumnSetting>& Columns() const { return columns_; }
    std::vector<ReportColumnSetting> DefaultColumns() const;
    // Takes definitions that name every field once with at least one shown; anything else gives
    // the defaults and false.
    bool SetColumns(std::vector<ReportColumnSetting> columns);
    // The width of a shown column, as the operator dragged it; the model is not reset.
    void SetColumnWidth(int column, int pixels);
    // The field of each shown column.
    const std::vector<int>& ShownFields() const { return shownFields_; }
    QString Heading(int field) const;
    // Pixels: the defined width, or one estimated from the heading and the first rows.
    int ColumnWidth(int field) const;

    const std::vector<ReportFilterRule>& Filter() const { return filter_; }
    // Keeps the rules that apply to the fields; false when some did not.
    bool SetFilter(std::vector<ReportFilterRule> rules);

    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    // field -1 restores the fetched order.
    void SortByField(int field, Qt::SortOrder order);
    int SortField() const { return sortField_; }
    Qt::SortOrder SortOrder() const { return sortOrder_; }

    int ShownRows() const { return static_cast<int>(order_.size()); }
    int FetchedRows() const { return rows_ ? static_cast<int>(rows_->rows.size()) : 0; }
    // Row `row` of the rows shown (0-based, totals row excluded).
    const db::Value& ValueAt(int row, int field) const;
    QString TextAt(int row, int field) const;
    bool IsTotalsRow(int modelRow) const { return HasResult() && modelRow == ShownRows(); }

    bool HasTotal(int field) const;
    double Total(int field) const;
    // The field that carries the totals row's label: the first shown text column, else the first
    // shown date column (-1 when every shown column is numeric).
    int TotalsLabelField() const;
    QString TotalsLabel() const;
    // A field's cell in the totals row: the label, a sum or nothing.
    QString TotalText(int field) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    // The rows that pass the filter, their totals and their order; inside a model reset.
    void ApplyFilter();
    // order_ from filtered_ by the sort field.
    void SortShown();
    const ReportFieldColumn& Column(int field);
    void UpdateShownFields();
    bool Fits(const std::vector<ReportColumnSetting>& columns) const;
    void FitArrangement();

    std::shared_ptr<const db::RowSet> rows_;
    std::vector<ReportField> fields_;
    std::vector<std::unique_ptr<ReportFieldColumn>> scanned_;  // per field, made when first needed
    std::vector<int> estimatedWidths_;
    std::vector<ReportColumnSetting> columns_;
    std::vector<int> shownFields_;
    std::vector<ReportFilterRule> filter_;
    std::vector<int> filtered_;  // fetched row numbers of the rows that pass the filter, in fetched order
    std::vector<int> order_;     // the same rows in display order
    // Unsorted display order when it is not the fetched one: the fetched row numbers in that order.
    std::vector<int> naturalOrder_;
    std::vector<double> totals_;
    int sortField_ = -1;
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
};

}  // namespace host
