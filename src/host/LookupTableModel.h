// The rows of the lookup window: a read-only table over a fetched result, narrowed by a filter
// text that any column may contain (case-insensitive). The filter keeps a vector of the fetched
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
    explicit LookupTableModel(std::shared_ptr<const db::RowSet> rows, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Shows only the rows of which some column contains the text; the empty text shows all.
    void SetFilter(const QString& text);
    const QString& Filter() const { return filter_; }
    // The fetched row shown at a visible row.
    int SourceRow(int visibleRow) const { return shown_.at(static_cast<size_t>(visibleRow)); }
    int TotalRows() const { return static_cast<int>(rows_->rows.size()); }

private:
    void BuildHaystack();

    std::shared_ptr<const db::RowSet> rows_;
    std::vector<QString> haystack_;  // per fetched row: case-folded cells joined by '\n'
    std::vector<int> shown_;
    QString filter_;
};

}  // namespace host
