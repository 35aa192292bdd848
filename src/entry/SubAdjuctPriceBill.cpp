#include "entry/SubAdjuctPriceBill.h"

#include "db/Connection.h"
#include "db/Error.h"
#include "entry/FrmSub.h"
#include "data/HostContext.h"
#include "entry/SystemSettings.h"
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

void SubAdjuctPriceBill::SysDate(const db::DateTime& value) { Host().SysDate = value; }
void SubAdjuctPriceBill::CommandTimeout(std::int16_t value) { Host().CommandTimeout = value; }
void SubAdjuctPriceBill::ConnStr(const std::string& value) { Host().ConnStr = value; }
void SubAdjuctPriceBill::OptCode(const std::string& value) { Host().OptCode = value; }
void SubAdjuctPriceBill::OptName(const std::string& value) { Host().OptName = value; }
void SubAdjuctPriceBill::Category(const std::string& value) { Host().Category = value; }

void SubAdjuctPriceBill::Execute() noexcept {
    auto& host = Host();
    try {
        host.HostConnection = std::make_unique<db::Connection>();
        host.HostConnection->SetCommandTimeout(host.CommandTimeout);  // no statement waits for ever
        host.HostConnection->Open(host.ConnStr);  // a string that cannot be opened raises its description
        if (host.HostConnection->State() == 1) {
            LoadSystemSettings();
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
