// The rows of the lookup window: a read-only table over a fetched result, narrowed by a filter
// text that any column may contain (case-insensitive). Rows that came ordered by their code (the
// first column) show in natural order (db/NaturalOrder.h); numbers align right, and prices (a
// numeric column whose heading holds "价") show the host's price decimals. The filter keeps a vector of the fetched
// row numbers that pass; each row's cells are folded into one search text at the first keystroke
// (not before: the picker shows its rows without it), so a keystroke costs one substring search
// per row.
#pragma once
#include <QAbstractTableModel>
#include <QString>
#include <memory>
#include <vector>

#include "db/RowSet.h"

namespace host {

class LookupTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // priceDecimals < 0 shows prices in their shortest form.
    explicit LookupTableModel(std::shared_ptr<const db::RowSet> rows, QObject* parent = nullptr, int priceDecimals = -1);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Shows only the rows of which some column contains the text; the empty text shows all.
    void SetFilter(const QString& text);
    const QString& Filter() const { return filter_; }
    // The fetched row shown at a visible row.
    int SourceRow(int visibleRow) const { return shown_.at(static_cast<size_t>(visibleRow)); }
    bool IsPriceColumn(int column) const;

private:
    void BuildHaystack();
    QString CellText(const db::Value& v, size_t column) const;

    std::shared_ptr<const db::RowSet> rows_;
    std::vector<QString> haystack_;  // per fetched row: case-folded cells joined by '\n'
    std::vector<int> order_;  // every fetched row in display order
    std::vector<int> shown_;
    std::vector<bool> numeric_, price_;  // per column
    int priceDecimals_ = -1;
    QString filter_;
};

}  // namespace host
