// The report window: shows the result of one statement as a report in the host's report grid.
// It hands the grid its properties when it loads, shows the report's name in a band over the grid,
// sizes the grid with the window and forwards its toolbar's buttons to the grid's actions.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "data/ReportGrid.h"
#include "report/PictureBox.h"
#include "ui/Label.h"
#include "ui/Toolbar.h"
#include "ui/Window.h"

namespace report {

class FrmReport : public ui::Window {
public:
    // Creates the report grid through the component factory; throws db::Error when the host has
    // none.
    FrmReport();
    ~FrmReport() override;

    // Properties, set before the window is shown and read once, at its load.
    std::string ConnectStr;
    std::string DataSource;
    std::int16_t DataFormat = 0;
    bool IsShowOrder = false;
    std::string ReportCode;
    std::string ReportName;
    std::string StartDate;
    std::string EndDate;
    std::string UserDefStr0;
    std::string UserDefStr1;

    ui::Toolbar Toolbar1{*this, "Toolbar1"};
    PictureBox Pic1{*this, "Pic1", kBandHeight};
    ui::Label LblRptName{*this, "LblRptName", ""};
    // The report grid KxGrid1; a host component, not a control state.
    data::ReportGrid& KxGrid1() const { return *grid_; }

    void OnLoad() override;
    void OnKeyDown(int& key, int shift) override;
    void OnResize() override;

    void Toolbar1_ButtonClick(const std::string& key);

    static constexpr int kBandHeight = 540;  // twips

private:
    void LoadReport();
    std::unique_ptr<data::ReportGrid> grid_;
};

}  // namespace report
