// Binds a Grid state to a GridView over a GridModel: the view's current row and the grid's row
// follow each other (view row r is grid row r+1), column widths come from the grid (twips), and
// mouse presses and double-clicks are raised on the grid. Widths the operator set survive a reset
// of the same columns.
#pragma once
#include <map>
#include <vector>

#include "ui/Grid.h"
#include "ui/qt/ControlBinding.h"
#include "ui/qt/GridModel.h"
#include "ui/qt/GridView.h"

namespace ui::qt {

class GridBinding : public ControlBinding {
public:
    GridBinding(ui::Grid& grid, GridView* view);
    GridModel* Model() const { return model_; }

protected:
    void Apply() override;

private:
    void SaveWidths();
    void RestoreWidths();
    void ShowCurrentRow();

    ui::Grid& grid_;
    GridView* view_;
    GridModel* model_;  // child of the view
    std::vector<int> savedWidths_;
    std::map<int, int> appliedWidths_;  // column -> the grid's width (twips) last applied
    bool following_ = false;  // true while the view is moved to the grid's row
};

}  // namespace ui::qt
