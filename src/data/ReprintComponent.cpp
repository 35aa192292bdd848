#include "data/ReprintComponent.h"

#include "data/ComponentFactory.h"
#include "data/HostContext.h"

namespace data {

void RunReprint() {
    const auto& host = Host();
    auto reprint = ComponentFactory::CreateAs<ReprintComponent>(ComponentName::Reprint);
    reprint->SetCategory(host.Category);
    reprint->SetCommandTimeout(host.CommandTimeout);
    reprint->SetConnStr(host.ConnStr);
    reprint->SetOptCode(host.OptCode);
    reprint->SetOptName(host.OptName);
    reprint->SetSysDate(host.SysDate);
    reprint->Run(kReprintCode);
}

}  // namespace data
