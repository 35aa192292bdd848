// Binds a StatusBar state to a QStatusBar: one permanent QLabel per panel, panel 1 taking the
// spare width.
#pragma once
#include <QLabel>
#include <QStatusBar>
#include <vector>

#include "ui/StatusBar.h"
#include "ui/qt/ControlBinding.h"

namespace ui::qt {

class StatusBarBinding : public ControlBinding {
public:
    StatusBarBinding(ui::StatusBar& bar, QStatusBar* widget);
    // The label showing panel `index` (from 1).
    QLabel* PanelLabel(int index) const { return panels_.at(index - 1); }

protected:
    void Apply() override;

private:
    ui::StatusBar& bar_;
    std::vector<QLabel*> panels_;  // children of the status bar
};

}  // namespace ui::qt
