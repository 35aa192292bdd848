// The dialog of the report window (report::FrmReport): the toolbar at the top, the band with the
// report's name under it and the host's report grid filling the rest. The grid is the report grid
// component's own widget, borrowed for the dialog's life and given back when it closes; the window
// logic sizes it on every resize.
#pragma once
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QToolBar>

#include "report/FrmReport.h"
#include "ui/qt/View.h"

namespace ui::qt {
class ToolbarBinding;
}

namespace views {

class FrmReportView : public ui::qt::View {
    Q_OBJECT
public:
    FrmReportView(report::FrmReport& window, QWidget* parent = nullptr);
    ~FrmReportView() override;

    QToolBar* ToolBar() const { return toolBar_; }
    QFrame* Band() const { return band_; }
    QLabel* ReportName() const { return lblRptName_; }
    QWidget* Grid() const { return grid_; }
    const ui::qt::ToolbarBinding& ToolbarBound() const { return *toolbarBinding_; }

protected:
    void BeforeResize() override;

private:
    void PlaceBand();

    report::FrmReport& window_;
    QToolBar* toolBar_;
    QFrame* band_;
    QLabel* lblRptName_;
    QPointer<QWidget> grid_;
    ui::qt::ToolbarBinding* toolbarBinding_;
};

}  // namespace views
