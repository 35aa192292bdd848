// The window of "类别" (按类别添加明细): the item categories (kclb) with the number of live items
// of each, a search field and marks. 确定 adds every item of the marked categories that the bill
// does not hold yet: the description and old price as the editor's item entry reads them at the
// bill's target, the new price equal to the old one, ready for 批量. The lines are added in one
// transaction as the import adds them (a new bill draws its serial, NewDh numbers each line); a
// category that does not fit in the lines left on the bill refuses the whole add.
#pragma once
#include <string>
#include <vector>

#include "ui/Button.h"
#include "ui/Grid.h"
#include "ui/Label.h"
#include "ui/TextBox.h"
#include "ui/Window.h"

namespace db {
class Connection;
}

namespace bill {

class FrmAdjuctPrice;

inline constexpr const char* kAddByCategoryCaption = "按类别添加明细";

class FrmAddByCategory : public ui::Dialog {
public:
    struct Category {
        std::string id, name;
        long long items = 0;  // live items of the category
        bool marked = false;
    };

    // `room`: the lines the bill can still take, as counted when the window opened.
    FrmAddByCategory(FrmAdjuctPrice& editor, std::vector<Category> categories, int room);

    ui::Label Label1{*this, "Label1", "查找"};
    ui::TextBox TxtFind{*this, "TxtFind"};
    ui::Grid VfgCategories{*this, "VfgCategories"};
    ui::Label LabSummary{*this, "LabSummary", ""};
    ui::Button CmdOK{*this, "CmdOK", "确定"};
    ui::Button CmdCancel{*this, "CmdCancel", "取消"};

    void OnLoad() override;
    void OnUnload() override { VfgCategories.Unbind(); }

    // Lists the categories whose id or name contains the search text (Latin letters in any case).
    void ShowCategories();
    // Marks or unmarks grid row `row` (from 1).
    void ToggleMark(int row);
    // Adds the items of the marked categories in one transaction, reloads the bill in the editor
    // and closes; on a refusal nothing is written and the window stays open.
    void AddMarked();

    const std::vector<Category>& Categories() const { return categories_; }
    int AddedCount() const { return added_; }

    // The categories with their live items, in the natural order of their ids.
    static std::vector<Category> ReadCategories(db::Connection& c);
    // "类别" in the editor: needs the right "修改", an unaudited bill and its target.
    static void Run(FrmAdjuctPrice& editor);

private:
    FrmAdjuctPrice& editor_;
    std::vector<Category> categories_;
    std::vector<size_t> shown_;  // index into categories_ of each grid row
    int room_;
    int added_ = 0;
};

}  // namespace bill
