#include "views/ToolView.h"

namespace views {

ToolView::ToolView(ui::Window& window, QWidget* parent) : FormView(window, parent) {
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
}

}  // namespace views
