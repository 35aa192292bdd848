// Base of the views of the editor's tool windows (price history, totals, bulk change, import): a
// plain dialog whose buttons leave Enter to the window's own keys.
#pragma once
#include "views/FormView.h"

namespace views {

class ToolView : public FormView {
    Q_OBJECT
public:
    ToolView(ui::Window& window, QWidget* parent);

protected:
    // A button that Enter does not press unless it has the focus.
    QPushButton* Button(ui::Button& button);
};

}  // namespace views
