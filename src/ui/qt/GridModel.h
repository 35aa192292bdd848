// The table model of a Grid state: model row r is grid row r+1 (grid row 0 is the heading, shown
// as the horizontal header), model column c is grid column c. Cells are read from the grid's
// recordset snapshot when painted, and rows are made available in batches, so that a list of
// any length costs the same to reset.
#pragma once
#include <QAbstractTableModel>
#include <memory>

namespace ui {
class Grid;
}

namespace ui::qt {

class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kFetchBatch = 2000;

    // Follows the grid from now on: a change of Generation() resets the model, a change of
    // marks or headings is reported as changed data.
    explicit GridModel(ui::Grid& grid, QObject* parent = nullptr);
    ~GridModel() override;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

    // Makes model rows up to and including `row` available (bounded by the grid's rows).
    void FetchThrough(int row);
    // Brings the model up to date with the grid now.
    void Sync();

private:
    int GridDataRows() const;
    void ReportChangedCells();

    ui::Grid& grid_;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
    unsigned long generation_ = 0;
    int fetched_ = 0;
    int columns_ = 0;
    int lastRow_ = 0;
    bool changePending_ = false;
};

}  // namespace ui::qt
