// Deleting one stored line of an unaudited bill, and handing the bill shown to the print engine.
#include "bill/EditorState.h"
#include "bill/FrmAdjuctPrice.h"
#include "data/ComponentFactory.h"
#include "data/PrintEngine.h"
#include "data/QueryRoutines.h"
#include "db/Connection.h"
#include "db/Error.h"
#include "ui/Toolkit.h"

namespace bill {
namespace {

using data::EscapeQuote;

inline constexpr const char* kAuditedNoDelete = "此单据已审核，不能删除!";

bool IsAudited(const db::Value& shbz) { return !shbz.IsNull() && !shbz.IsEmpty() && shbz.ToBool(); }

}  // namespace

void FrmAdjuctPrice::Delete(const std::string& lsh, const std::string& dh) {
    std::optional<db::Recordset> rs;
    try {
        const std::string key = EscapeQuote(lsh);
        const std::string line = EscapeQuote(dh);
        std::string sql =
            "select a.lsh,b.shbz,a.dh from SubAdjuctPricemx a inner join SubAdjuctPrice b on a.lsh=b.lsh where a.lsh='" + key +
            "' and a.dh = '" + line + "'";
        rs = data::GetRecordset(sql);
        if (!rs) throw db::Error(db::ErrorCode::ClosedObject, "对象关闭时，不允许操作。");
        if (rs->RecordCount() == 0) {
            rs->Close();
            return;
        }
        if (IsAudited(rs->Get("shbz"))) {
            ui::MsgBox(kAuditedNoDelete, ui::Buttons::Ok, ui::Icon::Exclamation, "系统提示");
            rs->Close();
            return;
        }
        if (ui::MsgBox("您确实要删除流水号为[" + lsh + "],单号为[" + dh + "]的数据吗？", ui::Buttons::YesNo, ui::Icon::Question, "提示:",
                       ui::DefaultButton::Second) != ui::Answer::Yes) {
            rs->Close();
            return;
        }
        // The statement itself spares the lines of a bill audited since the check above.
        sql = "delete SubAdjuctPricemx where lsh='" + key + "' and dh = '" + line +
              "' and exists (select 1 from SubAdjuctPrice where lsh='" + key + "' and isnull(shbz,0)=0)";
        rs->Close();
        if (data::HostConnection().Execute(sql) == 0) {
            // Nothing deleted: audited since the check, or the line or bill removed meanwhile.
            const bool audited = IsAudited(data::GetFieldValue("Select shbz from SubAdjuctPrice where lsh='" + key + "'", "shbz"));
            ui::MsgBox(audited ? kAuditedNoDelete : "此记录已被删除!", ui::Buttons::Ok, ui::Icon::Exclamation, "系统提示");
        }
    } catch (const std::exception& e) {
        ui::MsgBox(db::DescriptionOf(e) + "\n删除失败，请找管理员联系!", ui::Buttons::Ok, ui::Icon::Exclamation, "错误:");
        try {
            if (rs && rs->IsOpen()) rs->Close();
        } catch (...) {
        }
    }
}

void FrmAdjuctPrice::PrintBill() {
    // Each step swallows its own failure and the next one still runs; nothing is reported here.
    // The print engine tells the operator itself when it cannot write the document.
    std::unique_ptr<data::PrintEngine> engine;
    auto step = [](auto&& f) {
        try {
            f();
        } catch (...) {
        }
    };
    step([&] { engine = data::ComponentFactory::CreateAs<data::PrintEngine>(data::ComponentName::PrintEngine); });
    if (!engine) return;
    step([&] { engine->SetConnection(data::HostConnection()); });
    step([&] { engine->SetCompany(data::kCompanyId); });
    step([&] { engine->SetFlag(-1); });
    step([&] { engine->SetTable(0, data::kHeaderTable); });
    step([&] { engine->SetTable(1, data::kLineTable); });
    step([&] {
        std::string serial = TxtLSH.Text();
        bool flag = false;
        engine->Print(data::kBillTypeCode, serial, flag);
    });
    step([&] { engine.reset(); });
}

}  // namespace bill
