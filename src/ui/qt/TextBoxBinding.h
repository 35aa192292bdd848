// Binds a TextBox state to a QLineEdit: text, read-only lock, background colour and selection
// go to the widget; typing, the caret and the selection come back.
#pragma once
#include <QLineEdit>
#include <utility>

#include "ui/TextBox.h"
#include "ui/qt/ControlBinding.h"

namespace ui::qt {

class TextBoxBinding : public ControlBinding {
public:
    TextBoxBinding(ui::TextBox& box, QLineEdit* edit);

protected:
    void Apply() override;

private:
    void ReportSelection();
    ui::TextBox& box_;
    QLineEdit* edit_;
    std::pair<int, int> shownSelection_{-1, -1};
};

}  // namespace ui::qt
