// Logic of the report window. The statement's result is drawn by the host's report grid, created
// through the component factory in the constructor; at load the window hands it the properties
// below, puts the report's name in the band (Pic1, LblRptName) and calls RefreshReport. OnResize
// sizes the grid in twips; Toolbar1_ButtonClick maps each button to a grid action, a reload or Close.
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
