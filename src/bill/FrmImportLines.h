// The window of "导入": reads a price list from a CSV (UTF-8 or GB18030) or .xlsx file, shows
// each row's verdict before anything is written, then adds the ready rows as lines of the bill in
// one transaction, numbered and with the header written as saving does, old prices from glprice
// at the bill's target. The refused rows can be saved as a CSV file with their reasons.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "bill/ImportCheck.h"
#include "ui/Button.h"
#include "ui/Grid.h"
#include "ui/Label.h"
#include "ui/TextBox.h"
#include "ui/Window.h"

namespace bill {

class FrmAdjuctPrice;

inline constexpr const char* kImportCaption = "导入明细";

class FrmImportLines : public ui::Dialog {
public:
    explicit FrmImportLines(FrmAdjuctPrice& editor);

    ui::Label Label1{*this, "Label1", "文件"};
    ui::TextBox TxtFile{*this, "TxtFile"};
    ui::Button CmdBrowse{*this, "CmdBrowse", "浏览..."};
    ui::Button CmdRead{*this, "CmdRead", "读取"};
    ui::Grid VfgRows{*this, "VfgRows"};
    ui::Label LabSummary{*this, "LabSummary", "请选择CSV或xlsx文件：货号和新售价取自标题为“货号”“新售价”的列，无标题时取前两列。"};
    ui::Button CmdImport{*this, "CmdImport", "导入"};
    ui::Button CmdSaveRefused{*this, "CmdSaveRefused", "保存拒绝行..."};
    ui::Button CmdClose{*this, "CmdClose", "关闭"};

    // Asks the operator for a file to open (save false) or a file to save the refused rows in
    // (save true), starting from `suggested`; empty when cancelled. The view supplies the dialog.
    std::function<std::string(bool save, const std::string& suggested)> AskFileName;

    void OnUnload() override { VfgRows.Unbind(); }

    // Reads the file named in TxtFile and judges its rows; nothing is written.
    void ReadFile();
    // Adds the ready rows in one transaction and reloads the bill in the editor.
    void ImportReady();
    // Writes the refused rows with their reasons as CSV (UTF-8 with a byte-order mark); true
    // when written.
    bool SaveRefused(const std::string& path);

    const std::vector<ImportRow>& Rows() const { return rows_; }
    int ReadyCount() const;
    int RefusedCount() const;
    // Seconds the last ReadFile and ImportReady took.
    double ReadSeconds() const { return readSeconds_; }
    double ImportSeconds() const { return importSeconds_; }

    // "导入" in the editor: needs the right "修改", an unaudited bill and its target.
    static void Run(FrmAdjuctPrice& editor);

private:
    void ShowRows();
    int Room();

    FrmAdjuctPrice& editor_;
    std::vector<ImportRow> rows_;
    std::string readFrom_;
    double readSeconds_ = 0, importSeconds_ = 0;
};

}  // namespace bill
