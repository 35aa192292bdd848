#include "ui/qt/GridModel.h"

#include <QMetaObject>
#include <algorithm>

#include "ui/Grid.h"

namespace ui::qt {

GridModel::GridModel(ui::Grid& grid, QObject* parent) : QAbstractTableModel(parent), grid_(grid) {
    generation_ = grid_.Generation();
    columns_ = grid_.Cols();
    fetched_ = std::min(kFetchBatch, GridDataRows());
    lastRow_ = grid_.Row();
    std::weak_ptr<int> alive = alive_;
    grid_.Subscribe([this, alive] {
        if (alive.lock()) Sync();
    });
}

GridModel::~GridModel() = default;

int GridModel::GridDataRows() const { return std::max(0, grid_.Rows() - 1); }

int GridModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : fetched_; }

int GridModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : columns_; }

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= fetched_ || index.column() >= columns_) return {};
    switch (role) {
        case Qt::DisplayRole:
            try {
                return QString::fromStdString(grid_.TextMatrix(index.row() + 1, index.column()));
            } catch (...) {
                return {};  // the recordset shrank under a requery the grid was not told of
            }
        case Qt::TextAlignmentRole:
            switch (grid_.ColAlignment(index.column())) {
                case ui::Alignment::Center: return int(Qt::AlignCenter);
                case ui::Alignment::Right: return int(Qt::AlignRight | Qt::AlignVCenter);
                default: return int(Qt::AlignLeft | Qt::AlignVCenter);
            }
        default:
            return {};
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || section < 0) return {};
    if (orientation == Qt::Vertical) return section < fetched_ ? QVariant(section + 1) : QVariant();
    if (section >= columns_) return {};
    try {
        return QString::fromStdString(grid_.TextMatrix(0, section));
    } catch (...) {
        return {};
    }
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

bool GridModel::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && fetched_ < GridDataRows();
}

void GridModel::fetchMore(const QModelIndex& parent) {
    if (parent.isValid()) return;
    FetchThrough(fetched_ + kFetchBatch - 1);
}

void GridModel::FetchThrough(int row) {
    int target = std::min(row + 1, GridDataRows());
    if (target <= fetched_) return;
    beginInsertRows(QModelIndex(), fetched_, target - 1);
    fetched_ = target;
    endInsertRows();
}

void GridModel::Sync() {
    if (grid_.Generation() != generation_) {
        beginResetModel();
        generation_ = grid_.Generation();
        columns_ = grid_.Cols();
        fetched_ = std::min(kFetchBatch, GridDataRows());
        lastRow_ = grid_.Row();
        endResetModel();
        return;
    }
    // A notification that moved the current record changed no cell.
    if (int row = grid_.Row(); row != lastRow_) {
        lastRow_ = row;
        return;
    }
    // Marks and headings: one report for any number of changes made before the view repaints
    // (inverting the marks of a long list notifies once per row).
    if (changePending_) return;
    changePending_ = true;
    QMetaObject::invokeMethod(this, [this] { ReportChangedCells(); }, Qt::QueuedConnection);
}

void GridModel::ReportChangedCells() {
    changePending_ = false;
    if (columns_ > 0) emit headerDataChanged(Qt::Horizontal, 0, columns_ - 1);
    if (fetched_ > 0 && columns_ > 0) emit dataChanged(index(0, 0), index(fetched_ - 1, 0), {Qt::DisplayRole});
}

}  // namespace ui::qt
