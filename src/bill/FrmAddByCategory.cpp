#include "bill/FrmAddByCategory.h"

#include <algorithm>
#include <unordered_set>

#include "bill/BillWriter.h"
#include "bill/EditorState.h"
#include "bill/FrmAdjuctPrice.h"
#include "bill/ImportCheck.h"
#include "bill/ListRecordset.h"
#include "bill/MarkedList.h"
#include "bill/PriceRounding.h"
#include "data/QueryRoutines.h"
#include "data/Rights.h"
#include "db/Connection.h"
#include "db/Error.h"
#include "db/NaturalOrder.h"
#include "db/TextUtil.h"
#include "ui/Keys.h"
#include "ui/Toolkit.h"

namespace bill {
namespace {

using data::EscapeQuote;

// The item statement of the editor's item entry, narrowed to one category.
std::string CategoryItems(const FrmAdjuctPrice& editor, const std::string& id) {
    const std::string& stored = editor.ItemQueryTemplate;
    const std::string base =
        ReplaceAll(stored.empty() ? DefaultItemQueryTemplate() : stored, "[单位编号]", EscapeQuote(editor.TxtDwbh.Text()));
    return ReplaceAll(base, "[选择条件]", " and a.lb='" + EscapeQuote(id) + "'");
}

}  // namespace

FrmAddByCategory::FrmAddByCategory(FrmAdjuctPrice& editor, std::vector<Category> categories, int room)
    : ui::Dialog("FrmAddByCategory", kAddByCategoryCaption), editor_(editor), categories_(std::move(categories)), room_(room) {
    SetDesignSize(7800, 7200);
    CmdCancel.SetCancel(true);
    TxtFind.SetToolTip("输入类别编号或名称的一部分");
    int tab = 0;
    for (ui::Control* c : std::initializer_list<ui::Control*>{&TxtFind, &VfgCategories, &CmdOK, &CmdCancel})
        c->SetTabIndex(tab++);

    WireMarkedList(
        *this, TxtFind, VfgCategories, [this] { ShowCategories(); }, [this](int row) { ToggleMark(row); });
    CmdOK.onClick = [this] { AddMarked(); };
    CmdCancel.onClick = [this] { Close(); };
}

void FrmAddByCategory::OnLoad() {
    ShowCategories();
    OfferFocus(TxtFind);
}

void FrmAddByCategory::ShowCategories() {
    const std::string find = db::text::Lower(TxtFind.Text());
    shown_.clear();
    std::vector<std::vector<db::Value>> rows;
    for (size_t i = 0; i < categories_.size(); ++i) {
        const Category& k = categories_[i];
        if (!find.empty() && db::text::Lower(k.id).find(find) == std::string::npos &&
            db::text::Lower(k.name).find(find) == std::string::npos)
            continue;
        shown_.push_back(i);
        rows.push_back({db::Value::Text(k.id), db::Value::Text(k.name), db::Value::Text(std::to_string(k.items))});
    }
    const int row = VfgCategories.Row();
    VfgCategories.Bind(ListRecordset({"类别编号", "类别名称", "商品数"}, std::move(rows)));
    VfgCategories.SetColFormat(3, {.right = true});
    for (size_t r = 0; r < shown_.size(); ++r)
        if (categories_[shown_[r]].marked) VfgCategories.SetTextMatrix(static_cast<int>(r) + 1, 0, "√");
    if (row > 0 && row <= static_cast<int>(shown_.size())) VfgCategories.SetRow(row);

    int marked = 0;
    long long items = 0;
    for (const auto& k : categories_)
        if (k.marked) {
            ++marked;
            items += k.items;
        }
    LabSummary.SetCaption("已选" + std::to_string(marked) + "个类别，共" + std::to_string(items) + "个商品；本单据还可添加" +
                          std::to_string(room_) + "行");
}

void FrmAddByCategory::ToggleMark(int row) {
    if (row < 1 || row > static_cast<int>(shown_.size())) return;
    Category& k = categories_[shown_[row - 1]];
    k.marked = !k.marked;
    ShowCategories();
}

void FrmAddByCategory::AddMarked() {
    std::vector<const Category*> marked;
    for (const auto& k : categories_)
        if (k.marked) marked.push_back(&k);
    if (marked.empty()) {
        ui::MsgBox("请选择要添加的类别!", ui::Buttons::Ok, ui::Icon::Information, "系统提示");
        return;
    }
    auto& shared = Shared();
    if (!shared.IsNewBill && BillWriter::RefuseIfAudited(editor_.TxtLSH.Text())) return;
    const int decimals = PriceDecimals();
    int skipped = 0;
    size_t added = 0;
    const std::string s = BillWriter::AddLines(editor_, [&](db::Connection& c, const std::string& lsh, BillWriter& writer) {
        // What the bill holds and how many lines it takes as this transaction sees it.
        const std::vector<std::string> stored = ImportCheck::CodesOnBill(c, lsh);
        std::unordered_set<std::string> onBill(stored.begin(), stored.end());
        int room = editor_.LinesLeft(lsh);
        struct Line {
            std::string hh, pm;
            double oldPrice = 0;
        };
        std::vector<Line> lines;
        for (const Category* k : marked) {
            std::string sql = CategoryItems(editor_, k->id);
            db::Recordset rs = c.OpenRecordset(sql);
            int fresh = 0;
            for (long i = 0; i < rs.RecordCount(); ++i) {
                Line l{db::FieldText(rs.At(i, 0)), db::FieldText(rs.At(i, 1)) + "\\" + db::FieldText(rs.At(i, 2)) + "\\" +
                                                       db::FieldText(rs.At(i, 3)) + "\\" + db::FieldText(rs.At(i, 4))};
                if (!onBill.insert(ImportCheck::Key(l.hh)).second) {
                    ++skipped;
                    continue;
                }
                const db::Value& price = rs.At(i, 5);
                l.oldPrice = price.IsNull() || price.IsEmpty() ? 0.0 : price.ToDouble();
                if (const std::string refusal = PriceRefusal(RoundPrice(l.oldPrice, decimals), decimals, "原售价"); !refusal.empty())
                    throw BillRefused{"货号为'" + l.hh + "'的" + refusal};
                lines.push_back(std::move(l));
                ++fresh;
            }
            rs.Close();
            if (fresh > room)
                throw BillRefused{"类别'" + k->name + "'有" + std::to_string(fresh) + "个商品，本单据只能再添加" +
                                  std::to_string(room) + "行。"};
            room -= fresh;
        }
        if (lines.empty())
            throw BillRefused{"所选类别的商品都已在单据上，没有要添加的明细!", ui::Icon::Information};
        for (const Line& l : lines) {
            editor_.NewDh(lsh);
            writer.InsertLine(l.hh, l.pm, l.oldPrice, RoundPrice(l.oldPrice, decimals));
        }
        added = lines.size();
    });
    if (s.empty()) return;
    added_ = static_cast<int>(added);
    editor_.AmendAddNew(s);
    std::string done = "已添加" + std::to_string(added) + "行明细";
    if (skipped > 0) done += "，" + std::to_string(skipped) + "个商品已在单据上，未重复添加";
    ui::MsgBox(done + "。", ui::Buttons::Ok, ui::Icon::Information, "系统提示");
    Close();
}

std::vector<FrmAddByCategory::Category> FrmAddByCategory::ReadCategories(db::Connection& c) {
    const std::string sql =
        "select a.id,a.name,count(b.hh) as sl from kclb a left join yw_kck b on b.lb=a.id and isnull(b.FDeleted,0)=0 "
        "group by a.id,a.name order by a.id";
    db::Recordset rs = c.OpenRecordset(sql);
    std::vector<Category> categories;
    for (long i = 0; i < rs.RecordCount(); ++i) {
        const db::Value& n = rs.At(i, 2);
        categories.push_back(
            {db::FieldText(rs.At(i, 0)), db::FieldText(rs.At(i, 1)), n.IsNull() || n.IsEmpty() ? 0 : n.ToInt64()});
    }
    rs.Close();
    std::stable_sort(categories.begin(), categories.end(),
                     [](const Category& a, const Category& b) { return db::NaturalLess(a.id, b.id); });
    return categories;
}

void FrmAddByCategory::Run(FrmAdjuctPrice& editor) {
    if (!data::CheckRight("修改")) return;
    if (!Shared().IsNewBill && BillWriter::RefuseIfAudited(editor.TxtLSH.Text())) return;
    if (editor.TxtDwbh.Text().empty()) {
        ui::MsgBox("请先输入分支机构!", ui::Buttons::Ok, ui::Icon::Information, "系统提示");
        return;
    }
    std::vector<Category> categories;
    try {
        categories = ReadCategories(data::HostConnection());
    } catch (const std::exception& e) {
        ui::MsgBox(db::DescriptionOf(e), ui::Buttons::Ok, ui::Icon::Exclamation, "系统提示");
        return;
    }
    if (categories.empty()) {
        ui::MsgBox("没有商品类别!", ui::Buttons::Ok, ui::Icon::Information, "系统提示");
        return;
    }
    FrmAddByCategory w(editor, std::move(categories), editor.LinesLeft(editor.TxtLSH.Text()));
    w.ShowModal();
}

}  // namespace bill
