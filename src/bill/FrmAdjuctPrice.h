// Logic of the bill editor window. It holds one bill: the header's control states, the bill's
// stored lines in VfgContent and the entry strip for the line in hand. SaveBill writes the header
// and that one line in one transaction and reloads the lines; the audit and posting
// (AuditPost.cpp), the line deletion and print (LineDeletePrint.cpp) and the lookups
// (EntryLookups.cpp) are members defined in files of their own. The browser reaches the editor
// through bill::Shared().
#pragma once
#include <optional>
#include <string>

#include "db/Recordset.h"
#include "ui/Button.h"
#include "ui/DateBox.h"
#include "ui/Grid.h"
#include "ui/Label.h"
#include "ui/NumberBox.h"
#include "ui/StatusBar.h"
#include "ui/TextBox.h"
#include "ui/Timer.h"
#include "ui/Toolbar.h"
#include "ui/Window.h"

namespace bill {

inline constexpr const char* kEditorCaption = "分支机构商品调价单";
inline constexpr const char* kStatusText = "F2 → 新增 | F3 → 修改 | Del → 删除 |  F8 → 记帐 | F9 → 打印 | ESC → 退出";
inline constexpr const char* kAuditedStatusText = "此单据已审核，不能修改";
inline constexpr const char* kLeaveQuestion = "有未保存的修改，确实要退出吗?";
inline constexpr std::uint32_t kDisplayOnlyColor = 0xFFFFC0;  // light yellow
// The item-selection row of the editor in the host's GLSelect table.
inline constexpr const char* kItemSelectionKey = "分支机构调价商品选择";

class FrmAdjuctPrice : public ui::Window {
public:
    FrmAdjuctPrice();
    ~FrmAdjuctPrice() override;

    // Header (Frame1).
    ui::Label Label1{*this, "Label1", "流水号"};
    ui::TextBox TxtLSH{*this, "TxtLSH"};
    ui::Label Label2{*this, "Label2", "开单日期"};
    ui::DateBox DtpKdrq{*this, "DtpKdrq"};
    ui::Label Label8{*this, "Label8", "执行日期"};
    ui::DateBox DtpExecDate{*this, "DtpExecDate"};
    ui::Label Label18{*this, "Label18", "分支机构"};
    ui::TextBox TxtDwbh{*this, "TxtDwbh"};
    ui::TextBox txtDwmc{*this, "txtDwmc"};
    ui::Label Label7{*this, "Label7", "备注"};
    ui::TextBox TxtBZ{*this, "TxtBZ"};
    ui::Label Label3{*this, "Label3", "操作人员"};
    ui::TextBox TxtCzryName{*this, "TxtCzryName"};
    ui::Label Label16{*this, "Label16", "审核人员"};
    ui::TextBox TxtSh{*this, "TxtSh"};
    ui::Label LabGZBZ{*this, "LabGZBZ", "已过帐"};

    // Lines (Frame3 "调价明细"): the grid and the entry strip.
    ui::Grid VfgContent{*this, "VfgContent"};
    ui::Label Label10{*this, "Label10", "货号"};
    ui::TextBox TxtHH{*this, "TxtHH"};
    ui::TextBox TxtPM{*this, "TxtPM"};
    ui::Label Label13{*this, "Label13", "原售价"};
    ui::NumberBox TxtOSj{*this, "TxtOSj"};
    ui::Label Label14{*this, "Label14", "新售价"};
    ui::NumberBox TxtNSj{*this, "TxtNSj"};

    // Command buttons (Frame2).
    ui::Button Cmd_Add{*this, "Cmd_Add", "新增[F2]"};
    ui::Button Cmd_Amend{*this, "Cmd_Amend", "修改[F3]"};
    ui::Button Cmd_Save{*this, "Cmd_Save", "保 存"};
    ui::Button Cmd_Delete{*this, "Cmd_Delete", "删除[DEL]"};
    ui::Button Cmd_SaveReckoning{*this, "Cmd_SaveReckoning", "记帐[F8]"};
    ui::Button Cmd_Print{*this, "Cmd_Print", "打印[F9]"};
    ui::Button Cmd_Sum{*this, "Cmd_Sum", "合计[PD]"};
    ui::Button Cmd_PassReckoning{*this, "Cmd_PassReckoning", "过帐[F5]"};

    ui::Toolbar Toolbar1{*this, "Toolbar1"};
    ui::StatusBar StatusBar1{*this, "StatusBar1", 1};
    ui::Timer Tmr{*this, "Tmr", 1};
    ui::Timer Tmr2{*this, "Tmr2", 1};

    db::Recordset rsBill;
    std::string ItemQueryTemplate;

    // Window events.
    void OnLoad() override { Form_Load(); }
    void OnKeyDown(int& key, int shift) override { Form_KeyDown(key, shift); }
    void OnUnload() override { Form_Unload(); }
    bool OnQueryUnload() override { return ConfirmLeave(); }
    void Form_Load();
    void Form_KeyDown(int& key, int shift);
    void Form_Unload();

    // Public methods.
    void AddNew();
    void AmendAddNew(const std::string& id);
    void Delete(const std::string& lsh, const std::string& dh);

    // Numbering: the results go to Shared().CurrentLsh / CurrentDh.
    void NewLsh();
    void NewDh(const std::string& lsh);
    // The lines bill `lsh` can still take: line numbers are 16-bit, so the next one drawn must
    // stay within 32767. Leaves the shared line number as it was (a picked line still needs it).
    int LinesLeft(const std::string& lsh);

    void PrepareNewBill();
    void SetPriceFormat();
    void Reprint();
    void SaveBill();
    void LoadLine(const std::string& lsh, const std::string& dh);
    void FillLineGrid(const std::string& lsh);
    bool CheckBeforeAudit(const std::string& lsh);
    void AuditBill(const std::string& lsh);
    void PrintBill();

    // Commands.
    void Cmd_Add_Click();
    void Cmd_Amend_Click();
    void Cmd_Save_Click() { SaveBill(); }
    void Cmd_Delete_Click();
    void Cmd_SaveReckoning_Click();
    void Cmd_Print_Click();
    void Toolbar1_ButtonClick(const std::string& key);
    void AuditCommand();
    // Esc, the toolbar's 退出 and the close box: closes at once when nothing on the screen is
    // unsaved, else only when the operator confirms.
    void CloseAsked();
    bool ConfirmLeave();
    // Whether the header fields or the entry strip differ from what was last loaded or saved.
    bool HasUnsavedChanges() const;

    // An audited bill is shown read-only: its fields and the commands that change it are off,
    // and the status line says why.
    void ShowAudited(bool audited);
    bool ShowsAuditedBill() const { return audited_; }
    // The notes about the line in hand (other open bills changing the item, implausible values)
    // in the status line; the key hints when there are none.
    void CheckLineValues();
    void ShowStatus();

    // Key handlers of the fields with keys of their own.
    void TxtDwbh_KeyDown(int& key, int shift);
    void TxtHH_KeyDown(int& key, int shift);

private:
    // What the header fields and the entry strip held when last loaded or saved.
    struct HeaderFields {
        std::string kdrq, execDate, dwbh, bz;
        bool operator==(const HeaderFields&) const = default;
    };
    struct StripFields {
        std::string hh;
        double oldPrice = 0, newPrice = 0;
        bool operator==(const StripFields&) const = default;
    };
    HeaderFields CurrentHeader() const;
    StripFields CurrentStrip() const;
    void MarkHeaderSaved() { savedHeader_ = CurrentHeader(); }
    void MarkStripSaved() { savedStrip_ = CurrentStrip(); }
    // What the stored header tells before the audit's question: a refusal that needs no question
    // (empty to go on), and whether the bill executes before its own date.
    struct AuditHeader {
        std::string refusal;
        bool execBeforeBillDate = false;
    };
    AuditHeader AuditHeaderBeforeAsking(const std::string& lsh);
    // The doubts about the stored bill (its date, the lines whose values look wrong), for the
    // audit's question.
    std::string AuditDoubts(const std::string& lsh, bool execBeforeBillDate);

    HeaderFields savedHeader_;
    StripFields savedStrip_;
    bool audited_ = false;
    std::string conflictNote_;  // other open bills changing the item in hand
    std::string waitingNote_;   // an audited bill whose prices wait for their execution date
    std::string doubtNote_;     // implausible values of the line in hand (or the line just saved)

    // The item-selection statement with both placeholders filled.
    std::string ItemStatement(const std::string& condition) const;
    // Fills the description and both prices from a lookup row.
    void FillItem(const std::vector<db::Value>& row);
    void SelectLastLine();
};

// The default item-selection statement: live items with their selling price at the bill's branch.
std::string DefaultItemQueryTemplate();
// Replaces every occurrence of `what` in `text`, left to right, case-sensitive.
std::string ReplaceAll(std::string text, const std::string& what, const std::string& with);

}  // namespace bill
