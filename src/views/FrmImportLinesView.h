// The dialog "导入明细" (bill::FrmImportLines): the file with its browse and read buttons, every
// row with its verdict, the summary, import, save refused rows and close. It supplies the file
// dialogs the window asks for.
#pragma once
#include "bill/FrmImportLines.h"
#include "views/ToolView.h"

namespace views {

class FrmImportLinesView : public ToolView {
    Q_OBJECT
public:
    FrmImportLinesView(bill::FrmImportLines& window, QWidget* parent = nullptr);
    ~FrmImportLinesView() override;

    ui::qt::GridView* Rows() const { return rows_; }

private:
    std::string AskFileName(bool save, const std::string& suggested);

    bill::FrmImportLines& window_;
    ui::qt::GridView* rows_;
};

}  // namespace views
