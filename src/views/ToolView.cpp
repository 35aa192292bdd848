#include "views/ToolView.h"

namespace views {

ToolView::ToolView(ui::Window& window, QWidget* parent) : FormView(window, parent) {
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
}

QPushButton* ToolView::Button(ui::Button& button) {
    QPushButton* push = FormView::Button(button);
    push->setAutoDefault(false);
    return push;
}

}  // namespace views
