#include "entry/SubAdjuctPriceBill.h"

#include "bill/PendingPrices.h"

#include "data/HostContext.h"
#include "data/SystemSettings.h"
#include "db/Connection.h"
#include "db/Error.h"
#include "entry/FrmSub.h"
#include "ui/Toolkit.h"

namespace entry {
using data::Host;
namespace {

void CloseHostConnection() noexcept {
    auto& c = Host().HostConnection;
    try {
        if (c && c->State() == 1) c->Close();
    } catch (...) {
    }
    c.reset();
}

}  // namespace

SubAdjuctPriceBill::~SubAdjuctPriceBill() { CloseHostConnection(); }

bool SubAdjuctPriceBill::SysDate(const db::DateTime& value) {
    if (!value.IsValid()) {
        Host().RefusedSysDate = value.DateText();
        return false;
    }
    Host().RefusedSysDate.clear();
    Host().SysDate = value;
    return true;
}
void SubAdjuctPriceBill::CommandTimeout(std::int16_t value) { Host().CommandTimeout = value; }
void SubAdjuctPriceBill::ConnStr(const std::string& value) { Host().ConnStr = value; }
void SubAdjuctPriceBill::OptCode(const std::string& value) { Host().OptCode = value; }
void SubAdjuctPriceBill::OptName(const std::string& value) { Host().OptName = value; }
void SubAdjuctPriceBill::Category(const std::string& value) { Host().Category = value; }

void SubAdjuctPriceBill::Execute() noexcept {
    auto& host = Host();
    ui::CommandScope command;  // one start, one message: the dialog's windows report their own
    if (!host.RefusedSysDate.empty()) {
        // Bills would be stored under a date no calendar has, and could not be opened again.
        try {
            ui::MsgBox("业务日期“" + host.RefusedSysDate + "”不是有效的日期!", ui::Buttons::Ok, ui::Icon::Exclamation, "系统提示");
        } catch (...) {
        }
        return;
    }
    try {
        host.HostConnection = std::make_unique<db::Connection>();
        host.HostConnection->SetCommandTimeout(host.CommandTimeout);  // no statement waits for ever
        host.HostConnection->Open(host.ConnStr);  // a string that cannot be opened raises its description
        if (host.HostConnection->State() == 1) {
            data::LoadSystemSettings();
            bill::ApplyDuePricesAtStart();
            FrmSub dialog;
            dialog.ShowModal();
        }
    } catch (const std::exception& e) {
        try {
            ui::MsgBox(db::DescriptionOf(e), ui::Buttons::Ok, ui::Icon::Exclamation, "系统提示");
        } catch (...) {
        }
    } catch (...) {
        try {
            ui::MsgBox("未知错误", ui::Buttons::Ok, ui::Icon::Exclamation, "系统提示");
        } catch (...) {
        }
    }
    CloseHostConnection();
}

}  // namespace entry
