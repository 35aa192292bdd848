// Base of the views of the editor's tool windows (price history, totals, bulk change, import): a
// plain dialog with a close box.
#pragma once
#include "views/FormView.h"

namespace views {

class ToolView : public FormView {
    Q_OBJECT
public:
    ToolView(ui::Window& window, QWidget* parent);
};

}  // namespace views
