// Branch and item entry: Enter (and F7 for items) looks the typed code, pattern or mnemonic up
// through the host's lookup window and fills the fields; Up moves back. Typed text is placed in
// the statements with its quotes doubled, so a quote is searched for as typed.
#include "bill/EditorState.h"
#include "bill/FrmAdjuctPrice.h"
#include "bill/PriceConflicts.h"
#include "data/HostContext.h"
#include "data/LookupWindow.h"
#include "data/QueryRoutines.h"
#include "db/Connection.h"
#include "ui/Keys.h"
#include "ui/Toolkit.h"

namespace bill {
namespace {

using data::EscapeQuote;
using Row = std::vector<db::Value>;

// Runs the lookup; a failing lookup yields nothing.
Row LookUp(const std::string& sql) {
    try {
        return data::ShowLookup(sql, 0);
    } catch (...) {
        return {};
    }
}

bool Found(const Row& row) {
    try {
        return !row.empty() && row[0].ToDouble() > 0;
    } catch (...) {
        return false;
    }
}

std::string Element(const Row& row, size_t i) { return i < row.size() ? row[i].ToText() : std::string(); }

// Whether the statement yields no row at all. A lookup that yields none may also have been
// closed by the operator without a pick; only an empty result means there is no such item.
bool YieldsNothing(const std::string& sql) {
    try {
        db::Recordset rs = data::HostConnection().OpenRecordset(sql);
        const bool none = rs.RecordCount() == 0;
        rs.Close();
        return none;
    } catch (...) {
        return false;  // a failing statement says nothing about the item
    }
}

}  // namespace

void FrmAdjuctPrice::TxtDwbh_KeyDown(int& key, int) {
    if (key == ui::Key::Up) {
        key = 0;
        try {
            SendTab(true);
        } catch (...) {
        }
        return;
    }
    if (key != ui::Key::Enter) return;
    key = 0;
    const std::string t = TxtDwbh.Text();
    const bool byType = data::Host().BranchMode == data::ByBranchType;
    auto takeRow = [this](const Row& row, bool code) {
        try {
            if (code) TxtDwbh.SetText(Element(row, 1));
            txtDwmc.SetText(Element(row, 2));
            SendTab(false);
        } catch (...) {
        }
    };
    if (t.empty()) {
        Row row = LookUp(byType ? "select id as 类型编号,name as 类型名称 from glsx where fid=3 order by id"
                                : "select tjbh as 单位编号,mc as 单位名称,zjm as 助记码 from gl_custom order by tjbh");
        if (Found(row)) takeRow(row, true);
        return;
    }
    const std::string q = EscapeQuote(t);
    if (byType) {
        Row row = LookUp("select id as 类型编号,name as 类型名称 from glsx where fid=3 and id like '%" + q + "%' order by id");
        if (Found(row)) takeRow(row, true);
        return;
    }
    Row exact = LookUp("select tjbh as 单位编号,mc as 单位名称,zjm as 助记码 from gl_custom where tjbh ='" + q + "'");
    if (Found(exact)) {
        takeRow(exact, false);
        return;
    }
    Row byMnemonic = LookUp("select tjbh as 单位编号,mc as 单位名称,zjm as 助记码 from gl_custom where zjm like '" + q + "%'");
    if (Found(byMnemonic)) takeRow(byMnemonic, true);
}

std::string FrmAdjuctPrice::ItemStatement(const std::string& condition) const {
    const std::string base = ReplaceAll(ItemQueryTemplate, "[单位编号]", EscapeQuote(TxtDwbh.Text()));
    return ReplaceAll(base, "[选择条件]", condition);
}

void FrmAdjuctPrice::FillItem(const Row& row) {
    try {
        TxtPM.SetText(Element(row, 2) + "\\" + Element(row, 3) + "\\" + Element(row, 4) + "\\" + Element(row, 5));
    } catch (...) {
    }
    try {
        // An item without a price at this branch starts from 0, not from the previous item's price.
        const db::Value price = row.size() > 6 ? row[6] : db::Value();
        const double p = price.IsNull() || price.IsEmpty() ? 0.0 : price.ToDouble();
        TxtOSj.SetValue(p);
        TxtNSj.SetValue(p);
    } catch (...) {
    }
    // Another unaudited bill changing this item at this target is named in the status line.
    conflictNote_ = OpenConflictNote(*this);
    doubtNote_.clear();
    ShowStatus();
    // The new price starts as the old one and is typed over.
    try {
        TxtNSj.SelectAll();
    } catch (...) {
    }
}

void FrmAdjuctPrice::TxtHH_KeyDown(int& key, int) {
    auto moveOn = [this] {
        try {
            SendTab(false);
        } catch (...) {
        }
    };
    // Offers the statement's rows; the one picked fills the item.
    auto offer = [&](const std::string& sql) {
        Row row = LookUp(sql);
        if (!Found(row)) return;
        TxtHH.SetText(Element(row, 1));
        FillItem(row);
        moveOn();
    };
    if (key == ui::Key::Up) {
        key = 0;
        try {
            SendTab(true);
        } catch (...) {
        }
        return;
    }
    if (key == ui::Key::F7) {
        key = 0;
        // F7 always offers the whole list of the template.
        offer(ReplaceAll(ReplaceAll(ItemQueryTemplate, "[选择条件]", ""), "[单位编号]", EscapeQuote(TxtDwbh.Text())));
        return;
    }
    if (key != ui::Key::Enter) return;
    key = 0;
    const std::string t = TxtHH.Text();
    if (t.empty()) {
        ui::MsgBox("货号不能为空!", ui::Buttons::Ok, ui::Icon::Exclamation, "提示:");
        return;
    }
    if (t == "*") {
        offer(ItemStatement(""));
        return;
    }
    Row exact = LookUp(ItemStatement(" and a.hh ='" + EscapeQuote(t) + "'"));
    if (Found(exact)) {
        FillItem(exact);
        moveOn();
        return;
    }
    const bool starFirst = t.front() == '*';
    const bool starLast = t.back() == '*';
    std::string condition;
    if (starFirst && starLast)
        condition = " and a.hh like '%" + EscapeQuote(t.substr(1, t.size() - 2)) + "%' ";
    else if (starFirst)
        condition = " and a.hh like '%" + EscapeQuote(t.substr(1)) + "'";
    else if (starLast)
        condition = " and a.hh like '" + EscapeQuote(t.substr(0, t.size() - 1)) + "%'";
    else
        condition = " and a.pm_zjm like '" + EscapeQuote(t) + "%'";
    const std::string s = ItemStatement(condition);
    Row row = LookUp(s);
    if (!Found(row)) {
        if (YieldsNothing(s)) {
            ui::MsgBox("货号为'" + t + "'的商品不存在!", ui::Buttons::Ok, ui::Icon::Exclamation, "系统提示");
            try {
                TxtHH.SelectAll();
            } catch (...) {
            }
        }
        return;
    }
    TxtHH.SetText(Element(row, 1));
    FillItem(row);
    moveOn();
}

}  // namespace bill
