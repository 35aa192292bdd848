#include "ui/qt/GridBinding.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QScopedValueRollback>
#include <algorithm>

#include "ui/Twips.h"
#include "ui/qt/SafeCall.h"

namespace ui::qt {

GridBinding::GridBinding(ui::Grid& grid, GridView* view)
    : ControlBinding(grid, view), grid_(grid), view_(view), model_(new GridModel(grid, view)) {
    view->setModel(model_);
    connect(model_, &QAbstractItemModel::modelAboutToBeReset, this, [this] { SaveWidths(); });
    connect(model_, &QAbstractItemModel::modelReset, this, [this] { RestoreWidths(); });
    connect(view->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex& current) {
        if (following_ || !current.isValid()) return;
        SafeCall([&] { grid_.SetRow(current.row() + 1); });
    });
    connect(view, &GridView::cellPressed, this, [this](int row, int col, int button, int shift) {
        grid_.SetMouseCell(row, col);
        SafeCall([&] { grid_.RaiseMouseDown(button, shift); });
    });
    connect(view, &GridView::rowDoubleClicked, this, [this](int) { SafeCall([this] { grid_.RaiseDblClick(); }); });
    RestoreWidths();
}

QStringList GridBinding::Headings() const {
    QStringList headings;
    for (int c = 0; c < model_->columnCount(); ++c) headings << model_->headerData(c, Qt::Horizontal).toString();
    return headings;
}

void GridBinding::SaveWidths() {
    savedWidths_.clear();
    for (int c = 0; c < model_->columnCount(); ++c) savedWidths_.push_back(view_->columnWidth(c));
    // The grid has already changed when the model is about to follow: its headings are those of
    // the reset before.
    if (showingFitted_) keptWidths_ = savedWidths_;
}

void GridBinding::FitColumns() {
    const int cols = model_->columnCount();
    for (int c = 0; c < cols; ++c) {
        if (grid_.ColWidth(c) > 0) continue;
        view_->resizeColumnToContents(c);
        view_->setColumnWidth(c, std::clamp(view_->columnWidth(c), kMinColumnWidth, kMaxColumnWidth));
    }
    fittedToRows_ = model_->rowCount() > 0;
    fittedFor_ = Headings();
    keptWidths_.clear();
    for (int c = 0; c < cols; ++c) keptWidths_.push_back(view_->columnWidth(c));
}

void GridBinding::RestoreWidths() {
    const int cols = model_->columnCount();
    showingFitted_ = cols > 1;
    if (cols > 1 && Headings() == fittedFor_ && static_cast<int>(keptWidths_.size()) == cols) {
        if (!fittedToRows_ && model_->rowCount() > 0) {
            FitColumns();  // the first rows of a grid shown empty
        } else {
            for (int c = 0; c < cols; ++c) view_->setColumnWidth(c, keptWidths_[c]);
        }
    } else if (cols > 1) {
        // New columns: the grid's widths apply afresh, the others fit their heading and first rows.
        appliedWidths_.clear();
        FitColumns();
    } else if (static_cast<int>(savedWidths_.size()) == cols) {
        for (int c = 0; c < cols; ++c) view_->setColumnWidth(c, savedWidths_[c]);  // unbound: the mark column only
    }
    for (int c = 0; c < cols; ++c) {
        int twips = grid_.ColWidth(c);
        auto it = appliedWidths_.find(c);
        if (twips > 0 && (it == appliedWidths_.end() || it->second != twips)) {
            view_->setColumnWidth(c, twips / kTwipsPerPixel);
            appliedWidths_[c] = twips;
        }
    }
}

void GridBinding::ShowCurrentRow() {
    QScopedValueRollback<bool> guard(following_, true);
    const int row = grid_.Row() - 1;
    QItemSelectionModel* sel = view_->selectionModel();
    if (row < 0) {
        if (sel->currentIndex().isValid()) sel->clear();
        return;
    }
    if (sel->currentIndex().isValid() && sel->currentIndex().row() == row) return;
    model_->FetchThrough(row);
    if (row >= model_->rowCount()) return;
    int col = sel->currentIndex().isValid() ? sel->currentIndex().column() : (model_->columnCount() > 1 ? 1 : 0);
    QModelIndex target = model_->index(row, col);
    sel->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    view_->scrollTo(target);
}

void GridBinding::Apply() {
    ControlBinding::Apply();
    ShowCurrentRow();
}

}  // namespace ui::qt
