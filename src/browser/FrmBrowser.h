// The bill browser: the unposted bills of the chosen branch mode, with marks in the fixed column,
// right-button sort on the heading, a status line with the record count and position, and the
// commands of its toolbar and menus.
#pragma once
#include <string>

#include "db/Recordset.h"
#include "ui/Grid.h"
#include "ui/Menu.h"
#include "ui/StatusBar.h"
#include "ui/Toolbar.h"
#include "ui/Window.h"

namespace browser {

inline constexpr const char* kMark = "√";
// The module's name and the version it was built as, for 帮助 → 关于.
std::string AboutText();

class FrmBrowser : public ui::Window {
public:
    FrmBrowser();
    ~FrmBrowser() override;

    ui::MenuBar Menu{*this, "Menu"};
    ui::Toolbar Toolbar{*this, "Toolbar"};
    ui::Grid Vs{*this, "Vs"};
    // Panels: the list's name, the position, the branch mode.
    ui::StatusBar StatusBar{*this, "StatusBar", 3};

    db::Recordset rsMain;
    std::string ListSql;

    void OnLoad() override { LoadList(); }
    void OnKeyDown(int& key, int shift) override;
    void OnResize() override;
    void OnUnload() override;

    void LoadList();
    // afterReportedFailure: a command has just shown a database fault; the list is only read again
    // (the clean-up would wait for the same lock or fail the same way) and no second message shown.
    void RefreshList(bool afterReportedFailure = false);
    void InvertSelection();
    // Orders the fetched list by serial number, as the grids order texts of digits.
    void InSerialOrder();
    void Toolbar_ButtonClick(const std::string& key);
    void Menu_Click(const std::string& name);
    void Vs_MouseDown(int button, int shift);
    void rsMain_MoveComplete();

    // Commands (toolbar, menus, keys).
    void NewBill();
    void AmendBill();
    void DeleteSelected();
    void DeleteBill(const std::string& lsh);
    void ShowReport();
    void ReprintBills();
    void PreviewSelected();
    void PrintSelected();
    void PostSelected();
    // 价签 of the marked bills (their marks are kept).
    void PrintLabels();
    void ShowAbout();

private:
    // Hands the marked bills to the print engine; a preview keeps their marks.
    void PrintMarked(bool keepMarks);
    bool deleteFailed_ = false;  // a DeleteBill of the running DeleteSelected reported a failure
};

}  // namespace browser
