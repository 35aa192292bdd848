// Binds a Grid state to a GridView over a GridModel: the view's current row and the grid's row
// follow each other (view row r is grid row r+1), column widths come from the grid (twips), and
// mouse presses and double-clicks are raised on the grid. Columns without a width of the grid's
// fit their contents within kMinColumnWidth..kMaxColumnWidth pixels, once, when the grid is first
// filled (a grid shown empty fits its headings, and fits again when rows arrive); the last column
// stretches to the grid's width. Widths the operator set survive a reset of the same columns.
#pragma once
#include <QStringList>
#include <map>
#include <vector>

#include "ui/Grid.h"
#include "ui/qt/ControlBinding.h"
#include "ui/qt/GridModel.h"
#include "ui/qt/GridView.h"

namespace ui::qt {

class GridBinding : public ControlBinding {
public:
    static constexpr int kMinColumnWidth = 48, kMaxColumnWidth = 320;  // pixels

    GridBinding(ui::Grid& grid, GridView* view);
    GridModel* Model() const { return model_; }

protected:
    void Apply() override;

private:
    void SaveWidths();
    void RestoreWidths();
    void ShowCurrentRow();
    void FitColumns();
    QStringList Headings() const;

    ui::Grid& grid_;
    GridView* view_;
    GridModel* model_;  // child of the view
    std::vector<int> savedWidths_;
    // The columns the widths were fitted for (their headings) and the widths they have now: a
    // fresh binding of the same columns (the editor's lines after each save) keeps them.
    QStringList fittedFor_;
    std::vector<int> keptWidths_;
    bool showingFitted_ = false;  // the model shows the columns of fittedFor_
    std::map<int, int> appliedWidths_;  // column -> the grid's width (twips) last applied
    bool following_ = false;  // true while the view is moved to the grid's row
    bool fittedToRows_ = false;  // the columns were fitted to rows, not to the headings alone
};

}  // namespace ui::qt
